#include <gtest/gtest.h>

#include <functional>

#include "frame/Collection.h"

namespace orvalis {
namespace {

int32_t errorOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

std::u16string texts(const Collection& collection) {
  std::u16string all;
  for (const auto& entry : collection.entries()) all += entry.item.text();
  return all;
}

struct CollectionTest : ::testing::Test {
  Collection collection;
  CollectionTest() {
    collection.Add(Variant(u"a"));
    collection.Add(Variant(u"b"), u"Second");
    collection.Add(Variant(u"c"));
  }
};

TEST_F(CollectionTest, ItemsAreNumberedFromOneInInsertionOrder) {
  EXPECT_EQ(collection.Count(), 3);
  EXPECT_EQ(collection.Item(Variant(int16_t{1})).text(), u"a");
  EXPECT_EQ(collection.Item(Variant(3.0)).text(), u"c");
  EXPECT_EQ(collection.Item(Variant(u"second")).text(), u"b");  // keys ignore case
  EXPECT_EQ(collection.Item(Variant(2.5)).text(), u"b");  // positions round half to even
}

TEST_F(CollectionTest, APositionOutsideTheItemsIsError9AndAnUnknownKeyError5) {
  EXPECT_EQ(errorOf([&] { collection.Item(Variant(int32_t{0})); }), vb_error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { collection.Item(Variant(int32_t{4})); }), vb_error::SubscriptOutOfRange);
  EXPECT_EQ(errorOf([&] { collection.Item(Variant(u"2")); }), vb_error::InvalidProcedureCall);
  EXPECT_EQ(errorOf([&] { collection.Item(Variant::null()); }), vb_error::InvalidUseOfNull);
  EXPECT_EQ(errorOf([&] { collection.Remove(Variant(int32_t{9})); }), vb_error::SubscriptOutOfRange);
  EXPECT_EQ(collection.Count(), 3);
}

TEST_F(CollectionTest, AddPlacesBeforeOrAfterAnEntryButNotBoth) {
  collection.Add(Variant(u"x"), std::nullopt, Variant(int32_t{1}));
  collection.Add(Variant(u"y"), std::nullopt, std::nullopt, Variant(u"SECOND"));
  EXPECT_EQ(texts(collection), u"xabyc");
  EXPECT_EQ(errorOf([&] { collection.Add(Variant(u"z"), std::nullopt, Variant(int32_t{1}), Variant(int32_t{1})); }),
            vb_error::InvalidProcedureCall);
  EXPECT_EQ(errorOf([&] { collection.Add(Variant(u"z"), std::nullopt, Variant(int32_t{9})); }),
            vb_error::SubscriptOutOfRange);
  EXPECT_EQ(collection.Count(), 5);
}

TEST_F(CollectionTest, AKeyInUseIsRefusedWhateverItsCase) {
  EXPECT_EQ(errorOf([&] { collection.Add(Variant(u"z"), u"SECOND"); }), 457);
  EXPECT_EQ(collection.Count(), 3);
}

TEST_F(CollectionTest, RemoveByPositionOrKeyClosesTheGap) {
  collection.Remove(Variant(u"second"));
  EXPECT_EQ(texts(collection), u"ac");
  collection.Remove(Variant(int32_t{1}));
  EXPECT_EQ(texts(collection), u"c");
  collection.Add(Variant(u"b"), u"second");  // the key is free again
  EXPECT_EQ(collection.Item(Variant(int32_t{2})).text(), u"b");
}

}  // namespace
}  // namespace orvalis
