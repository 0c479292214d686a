#include <gtest/gtest.h>

#include <vector>

#include "frame/Conversion.h"
#include "frame/HostObject.h"

namespace orvalis {
namespace {

// Records each late-bound call and answers 42.
class RecordingHost : public HostObject {
 public:
  struct Call {
    std::u16string name;
    CallKind kind;
    std::vector<Argument> args;
  };
  std::vector<Call> calls;

  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>& args) override {
    calls.push_back({std::u16string(name), kind, args});
    return Variant(int32_t{42});
  }
};

TEST(HostObject, ConvenienceCallsMapOntoInvoke) {
  RecordingHost host;
  EXPECT_EQ(toLong(host.get(u"ListCount")), 42);
  EXPECT_EQ(toLong(host.get(u"List", Argument{Variant(int32_t{3}), false})), 42);
  host.put(u"ListIndex", Variant(int32_t{-1}));
  EXPECT_EQ(toLong(host.call(u"AddItem", Argument{Variant(u"a.mp3"), true})), 42);

  ASSERT_EQ(host.calls.size(), 4u);
  const CallKind kinds[] = {CallKind::PropertyGet, CallKind::PropertyGet, CallKind::PropertyPut,
                            CallKind::Method};
  const std::size_t argCounts[] = {0, 1, 1, 1};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(host.calls[i].kind, kinds[i]) << i;
    EXPECT_EQ(host.calls[i].args.size(), argCounts[i]) << i;
  }
  EXPECT_EQ(host.calls[2].name, u"ListIndex");
  EXPECT_FALSE(host.calls[2].args[0].byReference);
  EXPECT_EQ(toLong(host.calls[2].args[0].value), -1);
  EXPECT_TRUE(host.calls[3].args[0].byReference);
  EXPECT_EQ(toText(host.calls[3].args[0].value), u"a.mp3");
}

TEST(Variant, OnlyTheParamNotFoundErrorIsMissing) {
  EXPECT_TRUE(Variant::missing().isMissing());
  EXPECT_FALSE(Variant::error(5).isMissing());
  EXPECT_FALSE(Variant(static_cast<int32_t>(0x80020004u)).isMissing());
  EXPECT_TRUE(Variant(Variant::DateValue{1}).isNumeric());
  EXPECT_TRUE(Variant::boolean(false).isNumeric());
  EXPECT_FALSE(Variant(u"5").isNumeric());
  EXPECT_FALSE(Variant::null().isNumeric());
}

// vbNullString is a String that reads as "" everywhere, yet stays apart
// from a text of length 0 so that it can go out as no text at all.
TEST(Variant, TheNullStringIsAnEmptyStringThatKnowsItIsNull) {
  const Variant none = Variant::nullString();
  EXPECT_EQ(none.type(), VarType::String);
  EXPECT_TRUE(none.isNullString());
  EXPECT_EQ(toText(none), u"");
  EXPECT_FALSE(Variant(u"").isNullString());
  EXPECT_TRUE(Variant(none).isNullString());  // a copy is still null
  EXPECT_TRUE(Argument::typedReference(none).byReference);
  EXPECT_TRUE(Argument::typedReference(none).typed);
}

}  // namespace
}  // namespace orvalis
