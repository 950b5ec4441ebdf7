#include "velmora/base/variant.h"

#include <gtest/gtest.h>

#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

int32_t NumberOf(const std::function<void()>& body) {
  try {
    body();
  } catch (const Error& raised) {
    return raised.number();
  }
  return 0;
}

TEST(VariantTest, TextConvertsToNumbersOnlyWhenItReadsAsOne) {
  EXPECT_EQ(Variant(" 42 ").ToInt32(), 42);
  EXPECT_EQ(Variant("-7").ToInt16(), -7);
  EXPECT_DOUBLE_EQ(Variant("2.5").ToDouble(), 2.5);
  EXPECT_EQ(NumberOf([] { Variant("12abc").ToInt32(); }), kErrTypeMismatch);
  EXPECT_EQ(NumberOf([] { Variant("").ToInt32(); }), kErrTypeMismatch);
  EXPECT_EQ(Variant().ToInt32(), 0);
  EXPECT_EQ(Variant().ToText(), "");
}

TEST(VariantTest, RangeAndNullFailuresCarryTheRuntimeNumbers) {
  EXPECT_EQ(NumberOf([] { Variant("40000").ToInt16(); }), kErrOverflow);
  EXPECT_EQ(NumberOf([] { Variant(int64_t{1} << 40).ToInt32(); }), kErrOverflow);
  EXPECT_EQ(NumberOf([] { Variant(256).ToByte(); }), kErrOverflow);
  EXPECT_EQ(NumberOf([] { Variant::MakeNull().ToText(); }), kErrInvalidUseOfNull);
  EXPECT_EQ(NumberOf([] { Variant::MakeNull().ToInt32(); }), kErrInvalidUseOfNull);
}

TEST(VariantTest, BooleansAndRoundingFollowTheScriptRuntime) {
  EXPECT_EQ(Variant(true).ToInt32(), -1);
  EXPECT_EQ(Variant(true).ToText(), "True");
  EXPECT_TRUE(Variant("true").ToBool());
  EXPECT_FALSE(Variant("0").ToBool());
  EXPECT_EQ(Variant(2.5).ToInt32(), 2);
  EXPECT_EQ(Variant(3.5).ToInt32(), 4);
  EXPECT_EQ(Variant(-2.5).ToInt32(), -2);
  EXPECT_EQ(Variant(1.0).ToText(), "1");
  EXPECT_EQ(Variant(0.1).ToText(), "0.1");
}

TEST(VariantTest, ArraysAreCopiedByValueAndObjectsByReference) {
  VariantArray array(2);
  array.At(0) = Variant("a");
  Variant first(array);
  Variant second = first;
  second.AsArray().At(0) = Variant("changed");
  EXPECT_EQ(first.AsArray().At(0).ToText(), "a");

  auto dictionary = std::make_shared<Dictionary>();
  Variant one{ObjectRef(dictionary)};
  Variant two = one;
  two.As<Dictionary>()->Add("k", Variant(1));
  EXPECT_EQ(one.As<Dictionary>()->Count(), 1u);
}

TEST(VariantTest, TwoDimensionalArraysHonourTheirBounds) {
  auto rows = VariantArray::TwoDimensional(3, 2, 0, 1);
  rows.At(2, 2) = Variant(9);
  EXPECT_EQ(rows.At(2, 2).ToInt32(), 9);
  EXPECT_EQ(rows.UBound(1), 2);
  EXPECT_EQ(rows.LBound(2), 1);
  EXPECT_EQ(rows.UBound(2), 2);
  EXPECT_EQ(NumberOf([&] { rows.At(3, 1); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(NumberOf([&] { rows.At(0, 0); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(NumberOf([&] { rows.At(0); }), kErrSubscriptOutOfRange);
}

TEST(VariantTest, NothingIsAnObjectWithoutATarget) {
  Variant nothing{ObjectRef()};
  EXPECT_TRUE(nothing.IsNothing());
  EXPECT_FALSE(Variant().IsNothing());
  EXPECT_EQ(nothing.As<Dictionary>(), nullptr);
  EXPECT_EQ(NumberOf([] { Variant("x").AsObject(); }), kErrObjectRequired);
}

TEST(DateTimeTest, ParsesIsoTextAndRefusesImpossibleDates) {
  auto parsed = DateTime::Parse("2026-02-28 23:59:07");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->ToText(), "2026-02-28 23:59:07");
  EXPECT_EQ(DateTime::Parse("2024-02-29")->ToText(), "2024-02-29 00:00:00");
  EXPECT_FALSE(DateTime::Parse("2026-02-29"));
  EXPECT_FALSE(DateTime::Parse("2026-13-01"));
  EXPECT_FALSE(DateTime::Parse("2026-01-01 25:00"));
  EXPECT_FALSE(DateTime::Parse("1/2/2026"));
}

TEST(DictionaryTest, KeepsInsertionOrderAndRefusesDuplicateKeys) {
  Dictionary dictionary;
  dictionary.Add("[%B%]", Variant("2"));
  dictionary.Add("[%A%]", Variant("1"));
  dictionary.Add("[%a%]", Variant("3"));
  EXPECT_EQ(dictionary.Keys(), (std::vector<std::string>{"[%B%]", "[%A%]", "[%a%]"}));
  EXPECT_EQ(NumberOf([&] { dictionary.Add("[%A%]", Variant()); }), kErrKeyAlreadyExists);
  dictionary.Remove("[%B%]");
  dictionary.SetItem("[%C%]", Variant("4"));
  EXPECT_EQ(dictionary.Keys(), (std::vector<std::string>{"[%A%]", "[%a%]", "[%C%]"}));
  EXPECT_EQ(dictionary.Item("[%a%]").ToText(), "3");
  EXPECT_TRUE(dictionary.Item("missing").IsEmpty());
  EXPECT_FALSE(dictionary.Exists("missing"));
  EXPECT_EQ(NumberOf([&] { dictionary.Remove("missing"); }), kErrInvalidProcedureCall);
}

}  // namespace
}  // namespace velmora
