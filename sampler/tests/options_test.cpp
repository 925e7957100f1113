#include "options.h"

#include <gtest/gtest.h>

namespace {

struct Conversion {
    const wchar_t* text;
    int value;
};

class ToInt32 : public ::testing::TestWithParam<Conversion> {};

TEST_P(ToInt32, ConvertsLikeTheDecimalRulesSay) { EXPECT_EQ(toInt32(GetParam().text), GetParam().value); }

INSTANTIATE_TEST_SUITE_P(
    Values, ToInt32,
    ::testing::Values(Conversion{L"", 0}, Conversion{L"0", 0}, Conversion{L"42", 42}, Conversion{L"+42", 42},
                      Conversion{L"-42", -42}, Conversion{L"007", 7}, Conversion{L"10abc", 10}, Conversion{L"abc", 0},
                      Conversion{L" \t\n\v\f\r7", 7}, Conversion{L"- 7", 0}, Conversion{L"+-7", 0},
                      Conversion{L"--7", 0}, Conversion{L"-", 0}, Conversion{L"3 4", 3},
                      Conversion{L"2147483647", 2147483647}, Conversion{L"2147483648", 2147483647},
                      Conversion{L"99999999999", 2147483647}, Conversion{L"-2147483648", -2147483647 - 1},
                      Conversion{L"-2147483649", -2147483647 - 1},
                      Conversion{L"-99999999999999999999999999", -2147483647 - 1},
                      Conversion{L"000000000000000000000012", 12},
                      // Full-width digits and an ideographic space are not ASCII: no digits here.
                      Conversion{L"\xFF11\xFF12", 0}, Conversion{L"1\xFF12", 1}, Conversion{L"\x3000" L"5", 0}));

}  // namespace
