#include <gtest/gtest.h>

#include "picture_test_support.h"

namespace velmora {
namespace {

class PictureNumberTest : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureNumberTest, Writes) { EXPECT_EQ(Formatted(GetParam()), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    DigitPictures, PictureNumberTest,
    ::testing::Values(
        PictureCase{1234.567, "#,##0.00", "1,234.57"}, PictureCase{0.125, "0.00", "0.13"},
        PictureCase{1.005, "0.00", "1.01"}, PictureCase{2.5, "0", "3"},
        PictureCase{-1234.5, "0.0", "-1234.5"}, PictureCase{int32_t{5}, "000", "005"},
        PictureCase{0.5, "#.##", ".5"}, PictureCase{int32_t{5}, "#.##", "5."},
        PictureCase{Variant("12.5"), "0.00", "12.50"},
        PictureCase{int64_t{5551234567}, "(###) ###-####", "(555) 123-4567"},
        PictureCase{int32_t{1234567}, "#,##0,", "1,235"}, PictureCase{0.256, "0.0%", "25.6%"},
        PictureCase{int32_t{123456}, "00", "123456"}, PictureCase{-0.001, "0.00", "0.00"},
        PictureCase{int32_t{7}, "\"No. \"0", "No. 7"}));

INSTANTIATE_TEST_SUITE_P(SectionsAndScientific, PictureNumberTest,
                         ::testing::Values(PictureCase{int32_t{-5}, "0;(0)", "(5)"},
                                           PictureCase{int32_t{5}, "0;(0)", "5"},
                                           PictureCase{int32_t{0}, "0;(0);\"zero\"", "zero"},
                                           PictureCase{1234.5, "0.00E+00", "1.23E+03"},
                                           PictureCase{0.00012, "0.0E-00", "1.2E-04"},
                                           PictureCase{12345.0, "0.0E-0", "1.2E4"},
                                           PictureCase{9.999, "0.00E+00", "1.00E+01"},
                                           PictureCase{0.0, "0.00E+00", "0.00E+00"}));

INSTANTIATE_TEST_SUITE_P(Named, PictureNumberTest,
                         ::testing::Values(PictureCase{1234.5, "Currency", "$1,234.50"},
                                           PictureCase{int32_t{-3}, "currency", "($3.00)"},
                                           PictureCase{0.5, "Percent", "50.00%"},
                                           PictureCase{1234.5, "Standard", "1,234.50"},
                                           PictureCase{1234.5, "Fixed", "1234.50"},
                                           PictureCase{1234.5, "Scientific", "1.23E+03"},
                                           PictureCase{Variant("1.50"), "General Number", "1.5"},
                                           PictureCase{int32_t{0}, "Yes/No", "No"},
                                           PictureCase{int32_t{3}, "Yes/No", "Yes"},
                                           PictureCase{true, "True/False", "True"},
                                           PictureCase{false, "On/Off", "Off"}));

// Malformed pictures write what they can and never fail.
INSTANTIATE_TEST_SUITE_P(
    Malformed, PictureNumberTest,
    ::testing::Values(PictureCase{int32_t{7}, "\"No. 0", "No. 07"},
                      PictureCase{int32_t{7}, "0\\", "7"}, PictureCase{int32_t{-7}, "0;;", "-7"},
                      PictureCase{int32_t{-7}, "0;(0);z;surplus;sections", "(7)"},
                      PictureCase{int32_t{0}, "0;(0);", "0"}, PictureCase{1234.5, "0E+", "1E+3"},
                      PictureCase{1234.5, "E+00", "1E+03"}, PictureCase{0.5, "%", "%50"},
                      PictureCase{1e300, "0.00",
                                  std::string(1, '1') + std::string(300, '0') + ".00"},
                      PictureCase{int32_t{5}, ",,,0", "5"},
                      PictureCase{int32_t{5}, "...", "5..."}));

}  // namespace
}  // namespace velmora
