#include <gtest/gtest.h>

#include <stdexcept>

#include "doubles/FakePlatform.h"
#include "frame/ApplicationObject.h"
#include "frame/Conversion.h"
#include "frame/LibraryGlobal.h"
#include "frame/PropertyObject.h"
#include "frame/clsVxOrvalisA.h"

namespace orvalis {
namespace {

using testing::FakeLibraryGlobal;
using testing::FakeObject;
using Calls = std::vector<std::string>;

constexpr char16_t kAbout[] = u"VxBrennet.clsVxBrennetA";
constexpr char16_t kErrorHandler[] = u"VxBrennet.clsVxelErrorHandlerA";

template <class Body>
RuntimeError raisedBy(Body&& body) {
  try {
    body();
  } catch (const RuntimeError& error) {
    return error;
  }
  ADD_FAILURE() << "no runtime error";
  return RuntimeError(0);
}

struct LibraryInfoTest : ::testing::Test {
  testing::FakePlatform fakes;
  FakeLibraryGlobal& global = fakes.global;
  clsVxOrvalisA info{fakes.platform};
  std::shared_ptr<FakeObject> about = std::make_shared<FakeObject>();
  std::shared_ptr<FakeObject> handler = std::make_shared<FakeObject>();

  // The error object of one report, read the way the framework reads it.
  static std::pair<int32_t, std::u16string> reportedError(const FakeObject::Call& report,
                                                          std::u16string_view source = u"Orvalis.clsVxOrvalisA") {
    HostObject& error = *report.args.at(1).value.object();
    EXPECT_EQ(toText(error.get(u"Source")), source);
    return {toLong(error.get(u"number")), toText(error.get(u"Description"))};
  }
};

// --- About -------------------------------------------------------------------

TEST_F(LibraryInfoTest, AboutHandsTheApplicationObjectToTheFrameworkByValue) {
  global.classes[kAbout] = about;
  EXPECT_EQ(info.About(), 0);
  ASSERT_EQ(about->calls.size(), 1u);
  const auto& call = about->calls[0];
  EXPECT_EQ(call.name, u"AppAboutVxel");
  EXPECT_EQ(call.kind, CallKind::Statement);  // its result is never read
  ASSERT_EQ(call.args.size(), 1u);
  EXPECT_FALSE(call.args[0].byReference);
  EXPECT_EQ(call.args[0].value.object(), global.applicationObject);
  EXPECT_EQ(global.calls, (Calls{"createObject VxBrennet.clsVxBrennetA", "application"}));
}

TEST_F(LibraryInfoTest, AFailedCreationIsReportedAndSoIsTheCallWithoutAnObject) {
  global.classes[kErrorHandler] = handler;
  EXPECT_EQ(info.About(), 0);
  ASSERT_EQ(handler->calls.size(), 2u);
  EXPECT_EQ(reportedError(handler->calls[0]),
            std::make_pair(int32_t{429}, std::u16string(u"ActiveX component can't create object")));
  EXPECT_EQ(reportedError(handler->calls[1]),
            std::make_pair(int32_t{91}, std::u16string(u"Object variable or With block variable not set")));

  // The eight arguments of the report, in order.
  const auto& args = handler->calls[0].args;
  EXPECT_EQ(handler->calls[0].name, u"ErrorHandlerMessageVx");
  ASSERT_EQ(args.size(), 8u);
  EXPECT_EQ(handler->calls[0].kind, CallKind::Statement);
  ASSERT_EQ(args.size(), 8u);
  EXPECT_EQ(args[0].value.object(), global.applicationObject);
  EXPECT_EQ(args[1].value.type(), VarType::Object);
  EXPECT_EQ(args[2].value.type(), VarType::String);
  EXPECT_TRUE(args[2].value.isNullString());
  EXPECT_EQ(args[3].value.text(), u"basVxelCommonA.AppAboutVxel_Pro");
  EXPECT_FALSE(args[3].value.isNullString());
  EXPECT_EQ(args[4].value.type(), VarType::Long);
  EXPECT_EQ(args[4].value.integral(), 0);
  EXPECT_TRUE(args[5].value.isNullString());
  EXPECT_EQ(args[6].value.type(), VarType::Long);
  EXPECT_EQ(args[6].value.integral(), 0);
  EXPECT_TRUE(args[7].value.isMissing());
  // Seven references of the declared types, then the marker by value.
  for (size_t i = 0; i < 7; ++i) EXPECT_TRUE(args[i].byReference && args[i].typed) << i;
  EXPECT_FALSE(args[7].byReference);
}

TEST_F(LibraryInfoTest, TheReportKeepsTheSourceOfAnErrorFromTheFramework) {
  RuntimeError refused(438);
  refused.setSource(u"VxBrennet.clsVxBrennetA");
  about->failures.emplace(u"AppAboutVxel", refused);
  global.classes[kAbout] = about;
  global.classes[kErrorHandler] = handler;
  EXPECT_EQ(info.About(), 0);
  ASSERT_EQ(handler->calls.size(), 1u);
  EXPECT_EQ(reportedError(handler->calls[0], u"VxBrennet.clsVxBrennetA").first, 438);
}

TEST_F(LibraryInfoTest, RunningOutOfMemoryInAStepIsReportedAsError7AndAboutGoesOn) {
  global.exhausted.insert(kAbout);
  global.classes[kErrorHandler] = handler;
  EXPECT_EQ(info.About(), 0);
  ASSERT_EQ(handler->calls.size(), 2u);
  EXPECT_EQ(reportedError(handler->calls[0]), std::make_pair(int32_t{7}, std::u16string(u"Out of memory")));
  EXPECT_EQ(reportedError(handler->calls[1]).first, 91);
}

TEST_F(LibraryInfoTest, AFailingAboutBoxIsReportedOnceAndAboutGoesOn) {
  about->failures.emplace(u"AppAboutVxel", RuntimeError(438));
  global.classes[kAbout] = about;
  global.classes[kErrorHandler] = handler;
  EXPECT_EQ(info.About(), 0);
  ASSERT_EQ(handler->calls.size(), 1u);
  EXPECT_EQ(reportedError(handler->calls[0]).first, 438);
}

// A failure that is no runtime error at all is reported as the runtime
// reports an unexpected failure of a call: an automation error.
TEST_F(LibraryInfoTest, AnyOtherFailureInAStepIsReportedAsAnAutomationError) {
  struct Broken : HostObject {
    Variant invoke(std::u16string_view, CallKind, std::vector<Argument>&) override {
      throw std::logic_error("broken");
    }
  };
  global.classes[kAbout] = std::make_shared<Broken>();
  global.classes[kErrorHandler] = handler;
  EXPECT_EQ(info.About(), 0);
  ASSERT_EQ(handler->calls.size(), 1u);
  EXPECT_EQ(reportedError(handler->calls[0]),
            std::make_pair(static_cast<int32_t>(0x8000FFFFu), std::u16string(u"Automation error")));
}

TEST_F(LibraryInfoTest, AnErrorInsideTheReportEndsAboutAndReachesTheCaller) {
  EXPECT_EQ(raisedBy([&] { info.About(); }).number(), 429);
  // No second step once the report itself failed.
  EXPECT_EQ(global.calls, (Calls{"createObject VxBrennet.clsVxBrennetA",
                                 "createObject VxBrennet.clsVxelErrorHandlerA"}));

  handler->failures.emplace(u"ErrorHandlerMessageVx", RuntimeError(5));
  global.classes[kErrorHandler] = handler;
  EXPECT_EQ(raisedBy([&] { info.About(); }).number(), 5);
  EXPECT_EQ(handler->calls.size(), 1u);
}

// --- Resources and the shared object -------------------------------------------

TEST_F(LibraryInfoTest, ResourceMembersLoadThroughTheRuntimeWithTheIdAsLong) {
  global.data["Long 1, String TYPELIB"] = {'M', 'S', 'F', 'T'};
  EXPECT_EQ(info.GetProResData(1, Variant(u"TYPELIB")), (std::vector<uint8_t>{'M', 'S', 'F', 'T'}));

  const RuntimeError missing = raisedBy([&] { info.GetProResData(2, Variant(int16_t{16})); });
  EXPECT_EQ(missing.number(), 326);
  EXPECT_EQ(missing.description(), u"Resource with identifier '2' not found");
  EXPECT_EQ(raisedBy([&] { info.GetProResStrings(5); }).description(),
            u"Resource with identifier '5' not found");
  EXPECT_EQ(global.calls, (Calls{"loadData Long 1, String TYPELIB", "loadData Long 2, Integer 16",
                                 "loadString 5"}));
}

TEST_F(LibraryInfoTest, APictureKindBeyondAnIntegerOverflowsBeforeTheLoad) {
  EXPECT_EQ(raisedBy([&] { info.GetProResPicture(1, 32768); }).number(), 6);
  EXPECT_EQ(raisedBy([&] { info.GetProResPicture(1, -32769); }).number(), 6);
  EXPECT_TRUE(global.calls.empty());
  EXPECT_EQ(raisedBy([&] { info.GetProResPicture(7, -32768); }).number(), 326);
  EXPECT_EQ(global.calls, (Calls{"loadPicture Long 7 kind -32768"}));
}

TEST_F(LibraryInfoTest, BuddyObjectGlobalGoesToTheThreadsSlot) {
  info.setBuddyObjectGlobal(about);
  EXPECT_EQ(info.BuddyObjectGlobal(), about);
  info.setBuddyObjectGlobal(nullptr);
  EXPECT_EQ(info.BuddyObjectGlobal(), nullptr);
  EXPECT_EQ(info.GetProStdProperties(), global.applicationObject);
}

// --- The library's own objects --------------------------------------------------

TEST(PropertyObject, AnswersPropertyReadsOnly) {
  PropertyObject object({{u"Major", Variant(int16_t{1})}, {u"Title", u"Orvalis"}});
  EXPECT_EQ(toLong(object.get(u"MAJOR")), 1);
  std::vector<Argument> none;
  EXPECT_EQ(toText(object.invoke(u"title", CallKind::Method, none)), u"Orvalis");
  EXPECT_EQ(raisedBy([&] { object.get(u"Title", Argument{Variant(int32_t{1})}); }).number(), 450);
  EXPECT_EQ(raisedBy([&] { object.put(u"Title", Variant(u"x")); }).number(), 438);
  EXPECT_EQ(raisedBy([&] { object.get(u"Minor"); }).number(), 438);
  EXPECT_EQ(object.find(u"title"), 1u);
}

TEST(ApplicationObject, DescribesTheModuleUnderTheRuntimesMemberNames) {
  ModuleFacts facts;
  facts.path = u"C:\\Program Files\\Orvalis\\orvalis.dll";
  facts.title = u"Orvalis";
  facts.major = 1;
  facts.revision = 101;
  facts.comments = u"Audio classes";
  facts.instance = 0x10000000;
  auto app = makeApplicationObject(facts);
  EXPECT_EQ(toText(app->get(u"EXEName")), u"orvalis");
  EXPECT_EQ(toText(app->get(u"Path")), u"C:\\Program Files\\Orvalis");
  EXPECT_EQ(toText(app->get(u"Title")), u"Orvalis");
  EXPECT_EQ(app->get(u"Major").type(), VarType::Integer);
  EXPECT_EQ(toText(app->get(u"Major")) + u"." + toText(app->get(u"Minor")) + u"." +
                toText(app->get(u"Revision")),
            u"1.0.101");
  EXPECT_EQ(toText(app->get(u"Comments")), u"Audio classes");
  EXPECT_EQ(toLong(app->get(u"hInstance")), 0x10000000);
  EXPECT_EQ(app->properties().size(), 14u);
}

// In 64-bit code a module handle may lie above 4 GB: hInstance is then a
// LongLong, as VBA7's LongPtr is, with all of the handle's bits.
TEST(ApplicationObject, HInstanceIsAsWideAsAPointer) {
  ModuleFacts facts;
  if constexpr (sizeof(intptr_t) == 8) {
    facts.instance = static_cast<intptr_t>(0x7FF612340000);
    const Variant handle = makeApplicationObject(facts)->get(u"hInstance");
    EXPECT_EQ(handle.type(), VarType::LongLong);
    EXPECT_EQ(handle.integral(), 0x7FF612340000);
  } else {
    facts.instance = -2;
    EXPECT_EQ(makeApplicationObject(facts)->get(u"hInstance").type(), VarType::Long);
  }
}

TEST(ResourceName, NumbersFromOneTo65535OrNames) {
  EXPECT_EQ(resourceName(Variant(u"TYPELIB"))->name, u"TYPELIB");
  EXPECT_EQ(resourceName(Variant(int16_t{16}))->number, 16);
  EXPECT_EQ(resourceName(Variant(2.5))->number, 2);
  EXPECT_EQ(resourceName(Variant(int32_t{65535}))->number, 65535);
  EXPECT_FALSE(resourceName(Variant(int32_t{0})));
  EXPECT_FALSE(resourceName(Variant(int32_t{65536})));
  EXPECT_FALSE(resourceName(Variant()));
  EXPECT_FALSE(resourceName(Variant(u"")));
  EXPECT_EQ(raisedBy([&] { resourceName(Variant::null()); }).number(), 94);
  EXPECT_EQ(raisedBy([&] { resourceName(Variant(ObjectRef())); }).number(), 13);
}

}  // namespace
}  // namespace orvalis
