#include <gtest/gtest.h>

#include "frame/RuntimeError.h"

namespace orvalis {
namespace {

TEST(RuntimeError, CarriesTheStandardDescriptionOfItsNumber) {
  const struct { int32_t number; const char16_t* description; } cases[] = {
      {6, u"Overflow"},
      {13, u"Type mismatch"},
      {75, u"Path/File access error"},
      {91, u"Object variable or With block variable not set"},
      {438, u"Object doesn't support this property or method"},
      {0, u"Application-defined or object-defined error"},
      {1000, u"Application-defined or object-defined error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    const RuntimeError error(c.number);
    EXPECT_EQ(error.number(), c.number);
    EXPECT_EQ(error.description(), c.description);
  }
  EXPECT_EQ(RuntimeError(53, u"C:\\x.m3u").description(), u"C:\\x.m3u");
}

TEST(HostCallError, DispatchFailuresBecomeTheRuntimesErrorNumbers) {
  const struct { uint32_t hresult; int32_t number; const char16_t* description; } cases[] = {
      {0x8002000Fu, 449, u"Argument not optional"},              // DISP_E_PARAMNOTOPTIONAL
      {0x8002000Bu, 9, u"Subscript out of range"},                // DISP_E_BADINDEX
      {0x80020004u, 448, u"Named argument not found"},            // DISP_E_PARAMNOTFOUND
      {0x80020007u, 446, u"Object doesn't support named arguments"},  // DISP_E_NONAMEDARGS
      {0x80020008u, 458, u"Variable uses an Automation type not supported in Visual Basic"},
      {0x8002000Eu, 450, u"Wrong number of arguments or invalid property assignment"},
      {0x80020003u, 438, u"Object doesn't support this property or method"},
      {0x80020005u, 13, u"Type mismatch"},
      {0x8002000Au, 6, u"Overflow"},
      {0x80020012u, 11, u"Division by zero"},                    // a script's 1 / 0
      {0x8007000Eu, 7, u"Out of memory"},                        // E_OUTOFMEMORY
      {0x80070057u, 5, u"Invalid procedure call or argument"},   // E_INVALIDARG
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.number);
    const RuntimeError error = hostCallError(static_cast<int32_t>(c.hresult), u"", u"ignored");
    EXPECT_EQ(error.number(), c.number);
    EXPECT_EQ(error.description(), c.description);
  }
}

TEST(HostCallError, AVbErrorKeepsTheHostsDescriptionOrGetsTheStandardOne) {
  // What Wine's script engine hands back for Err.Raise 5: the bare code.
  const RuntimeError bare = hostCallError(static_cast<int32_t>(0x800A0005u), u"", u"");
  EXPECT_EQ(bare.number(), 5);
  EXPECT_EQ(bare.description(), u"Invalid procedure call or argument");
  const RuntimeError described = hostCallError(static_cast<int32_t>(0x800A0005u), u"entry refused", u"");
  EXPECT_EQ(described.number(), 5);
  EXPECT_EQ(described.description(), u"entry refused");
  EXPECT_EQ(hostCallError(static_cast<int32_t>(0x800A03E8u), u"", u"").description(),
            u"Application-defined or object-defined error");
  EXPECT_EQ(hostCallError(static_cast<int32_t>(0x8002000Fu), u"own words", u"").description(), u"own words");
}

TEST(HostCallError, OtherFailuresAreAutomationErrorsNumberedWithTheirCode) {
  const auto failure = static_cast<int32_t>(0x80004005u);  // E_FAIL
  const RuntimeError error = hostCallError(failure, u"", u"Unspecified error");
  EXPECT_EQ(error.number(), failure);
  EXPECT_EQ(error.description(), u"Automation error\nUnspecified error");
  EXPECT_EQ(hostCallError(failure, u"", u"").description(), u"Automation error");
  EXPECT_EQ(hostCallError(failure, u"disk on fire", u"Unspecified error").description(), u"disk on fire");
  EXPECT_EQ(errorNumberForHresult(static_cast<int32_t>(0x80020101u)), 0);  // reported to the script's host
}

TEST(HostCallError, KeepsTheSourceTheHostNamed) {
  EXPECT_EQ(hostCallError(static_cast<int32_t>(0x800A0005u), u"", u"", u"Host.List").source(), u"Host.List");
  EXPECT_EQ(hostCallError(static_cast<int32_t>(0x80004005u), u"", u"", u"Host.List").source(), u"Host.List");
  EXPECT_EQ(hostCallError(static_cast<int32_t>(0x800A0005u), u"", u"").source(), u"");
  EXPECT_EQ(RuntimeError(13).source(), u"");
}

}  // namespace
}  // namespace orvalis
