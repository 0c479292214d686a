#include <gtest/gtest.h>

#include "doubles/FakePlatform.h"
#include "frame/ApplicationObject.h"
#include "frame/PropertyObject.h"
#include "vxbrennet/clsVxBrennetA.h"
#include "vxbrennet/clsVxelErrorHandlerA.h"

namespace orvalis {
namespace {

using vxbrennet::clsVxBrennetA;
using vxbrennet::clsVxelErrorHandlerA;

struct VxBrennetTest : ::testing::Test {
  testing::FakePlatform fakes;
  ObjectRef app = [] {
    ModuleFacts facts;
    facts.path = u"C:\\lib\\orvalis.dll";
    facts.title = u"Orvalis";
    facts.major = 1;
    facts.revision = 101;
    facts.fileDescription = u"Orvalis audio automation library";
    return makeApplicationObject(facts);
  }();
  ObjectRef error = std::make_shared<PropertyObject>(std::vector<PropertyObject::Property>{
      {u"Number", Variant(int32_t{429})}, {u"Description", u"ActiveX component can't create object"}});

  const testing::MessageBoxCall& onlyBox() {
    EXPECT_EQ(fakes.runtime.messageBoxes.size(), 1u);
    return fakes.runtime.messageBoxes.at(0);
  }
};

TEST_F(VxBrennetTest, TheAboutBoxShowsTitleVersionAndDescription) {
  clsVxBrennetA(fakes.platform).AppAboutVxel(app);
  const auto& box = onlyBox();
  EXPECT_EQ(box.title, u"About Orvalis");
  EXPECT_EQ(box.text, u"Orvalis\r\nVersion 1.0.101\r\nOrvalis audio automation library");
  EXPECT_EQ(box.style, 0x40u);
}

TEST_F(VxBrennetTest, TheErrorReportShowsNumberDescriptionAndLocation) {
  clsVxelErrorHandlerA(fakes.platform)
      .ErrorHandlerMessageVx(app, error, u"", u"basVxelCommonA.AppAboutVxel_Pro", 0, u"", 0, Variant::missing());
  const auto& box = onlyBox();
  EXPECT_EQ(box.title, u"Orvalis");
  EXPECT_EQ(box.text, u"Error 429: ActiveX component can't create object\r\nLocation: basVxelCommonA.AppAboutVxel_Pro");
  EXPECT_EQ(box.style, 0x10u);
}

TEST_F(VxBrennetTest, WithoutTheObjectsTheyNeedBothRaiseObjectNotSet) {
  EXPECT_THROW(clsVxBrennetA(fakes.platform).AppAboutVxel(nullptr), RuntimeError);
  try {
    clsVxelErrorHandlerA(fakes.platform).ErrorHandlerMessageVx(app, nullptr, u"", u"", 0, u"", 0, Variant());
    FAIL();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), 91);
  }
  // An error report without an application object still shows.
  clsVxelErrorHandlerA(fakes.platform).ErrorHandlerMessageVx(nullptr, error, u"", u"here", 0, u"", 0, Variant());
  EXPECT_EQ(onlyBox().title, u"Error");
}

}  // namespace
}  // namespace orvalis
