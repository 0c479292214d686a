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

}  // namespace
}  // namespace orvalis
