#include <gtest/gtest.h>

#include "picture_test_support.h"

namespace velmora {
namespace {

class PictureTextTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureTextTest, Writes) { EXPECT_EQ(Formatted(GetParam()), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Placeholders, PictureTextTest,
                         ::testing::Values(PictureCase{Variant("abc"), ">@@@@", " ABC"},
                                           PictureCase{Variant("ABC"), "<&&&&", "abc"},
                                           PictureCase{Variant("abc"), "!@@@@&", "abc "},
                                           PictureCase{Variant("5551234"), "@@@-@@@@", "555-1234"},
                                           PictureCase{Variant("123456"), "@@@@", "123456"},
                                           PictureCase{Variant(""), "@;\"empty\"", "empty"},
                                           PictureCase{Variant("\xC3\xA9t\xC3\xA9"), "@@@@",
                                                       " \xC3\xA9t\xC3\xA9"},
                                           PictureCase{Variant(), "0.00", ""},
                                           PictureCase{Variant("abc"), "0.00", "abc"}));

INSTANTIATE_TEST_SUITE_P(Malformed, PictureTextTest,
                         ::testing::Values(PictureCase{Variant("ab"), "@@\"x", "abx"},
                                           PictureCase{Variant("ab"), "@@\\", "ab"},
                                           PictureCase{Variant(""), "@;", ""},
                                           PictureCase{Variant("\xC3"), "@@", " \xC3"}));

TEST(PictureFormatTest, NullStaysNullAndNoPictureWritesTheValue) {
  EXPECT_TRUE(FormatPicture(Variant::MakeNull(), Variant("0.00")).IsNull());
  EXPECT_EQ(FormatPicture(Variant("abc"), Variant::MakeNull()).ToText(), "abc");
  EXPECT_EQ(FormatPicture(Variant(int32_t{12}), Variant()).ToText(), "12");
}

}  // namespace
}  // namespace velmora
