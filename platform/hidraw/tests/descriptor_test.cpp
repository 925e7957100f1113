#include "descriptor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Short items, by their prefix byte.
const uint8_t usagePage2 = 0x06, usage1 = 0x09, collectionApplication[] = {0xA1, 0x01}, endCollection = 0xC0;
const uint8_t reportSize1 = 0x75, reportCount1 = 0x95, reportId1 = 0x85;
const uint8_t input1 = 0x81, output1 = 0x91, feature1 = 0xB1;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A vendor-defined application collection around the given items.
Bytes application(const Bytes& items) {
    return Bytes{usagePage2, 0x00, 0xFF, usage1, 0x01, collectionApplication[0], collectionApplication[1]} + items +
           Bytes{endCollection};
}

Bytes report(uint8_t kind, uint8_t size, uint8_t count) { return {usage1, 0x01, reportSize1, size, reportCount1, count, kind, 0x02}; }

struct Case {
    const char* name;
    Bytes descriptor;
    unsigned input, output, feature;
    bool numbered;
};

std::string nameOf(const ::testing::TestParamInfo<Case>& param) { return param.param.name; }

class Lengths : public ::testing::TestWithParam<Case> {};

TEST_P(Lengths, AreTheLongestReportInBytesPlusTheIdByte) {
    ReportLayout layout;
    ASSERT_TRUE(parseReportDescriptor(GetParam().descriptor.data(), GetParam().descriptor.size(), &layout));
    EXPECT_EQ(layout.inputLength, GetParam().input);
    EXPECT_EQ(layout.outputLength, GetParam().output);
    EXPECT_EQ(layout.featureLength, GetParam().feature);
    EXPECT_EQ(layout.numbered, GetParam().numbered);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, Lengths,
    ::testing::Values(
        // The board: one 64-byte input and one 64-byte output report, no IDs.
        Case{"Board", application(report(input1, 8, 64) + report(output1, 8, 64)), 65, 65, 0, false},
        Case{"InputOnly", application(report(input1, 8, 8)), 9, 0, 0, false},
        Case{"Feature", application(report(feature1, 8, 3)), 0, 0, 4, false},
        // Several report IDs: the longest of each kind counts.
        Case{"ReportIds",
             application(Bytes{reportId1, 1} + report(input1, 8, 4) + report(output1, 8, 2) + Bytes{reportId1, 2} +
                         report(input1, 8, 16) + Bytes{reportId1, 3} + report(output1, 8, 7)),
             17, 8, 0, true},
        // Sizes that are not whole bytes round up once per report, not per item.
        Case{"OddBits", application(report(input1, 1, 3) + report(input1, 1, 5) + report(input1, 4, 1)), 3, 0, 0, false},
        Case{"OneBit", application(report(input1, 1, 1)), 2, 0, 0, false},
        // Several main items of one report add up.
        Case{"SeveralMainItems", application(report(input1, 8, 2) + report(input1, 16, 3) + report(output1, 8, 1)), 9,
             2, 0, false},
        // Long items are skipped whole; 4-byte data is read as one value.
        Case{"LongItem", application(Bytes{0xFE, 0x03, 0x10, 0xAA, 0xBB, 0xCC} + report(input1, 8, 64)), 65, 0, 0, false},
        Case{"FourByteData",
             application(Bytes{reportSize1, 8, 0x97, 0x40, 0x00, 0x00, 0x00, input1, 0x02}), 65, 0, 0, false},
        // Push and Pop save and restore the globals.
        Case{"PushPop",
             application(Bytes{reportSize1, 8, reportCount1, 4, 0xA4, reportCount1, 60, input1, 0x02, 0xB4, input1,
                               0x02}),
             65, 0, 0, false},
        // Reports inside and after a nested collection belong to one report.
        Case{"Nested",
             application(Bytes{0xA1, 0x02} + report(input1, 8, 10) + Bytes{endCollection} + report(input1, 8, 20)),
             31, 0, 0, false}),
    nameOf);

class Malformed : public ::testing::TestWithParam<Case> {};

TEST_P(Malformed, IsRejected) {
    ReportLayout layout;
    layout.inputLength = 12345;
    EXPECT_FALSE(parseReportDescriptor(GetParam().descriptor.data(), GetParam().descriptor.size(), &layout));
    EXPECT_EQ(layout.inputLength, 12345u);  // left as it was
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, Malformed,
    ::testing::Values(Case{"Empty", {}, 0, 0, 0, false},
                      Case{"TruncatedShortItem", Bytes{usagePage2, 0x00}, 0, 0, 0, false},
                      Case{"TruncatedAtTheEnd", application(report(input1, 8, 64)) + Bytes{0x96, 0x40}, 0, 0, 0, false},
                      Case{"TruncatedLongItem", application({}) + Bytes{0xFE, 0x05, 0x10, 0xAA}, 0, 0, 0, false},
                      Case{"LongItemHeaderOnly", application({}) + Bytes{0xFE}, 0, 0, 0, false},
                      Case{"ReportIdZero", application(Bytes{reportId1, 0} + report(input1, 8, 1)), 0, 0, 0, false},
                      Case{"IdsAllOrNothing",
                           application(report(input1, 8, 1) + Bytes{reportId1, 1} + report(input1, 8, 1)), 0, 0, 0,
                           false},
                      Case{"PopWithoutPush", application(Bytes{0xB4}), 0, 0, 0, false},
                      Case{"UnclosedCollection", Bytes{0xA1, 0x01} + report(input1, 8, 1), 0, 0, 0, false},
                      Case{"EndWithoutCollection", Bytes{endCollection}, 0, 0, 0, false},
                      Case{"NoCollection", report(input1, 8, 1), 0, 0, 0, false},
                      Case{"UndefinedMainItem", application(Bytes{0xD1, 0x00}), 0, 0, 0, false},
                      Case{"TooLong", application(Bytes{reportSize1, 0xFF, 0x97, 0xFF, 0xFF, 0x00, 0x00, input1, 2}),
                           0, 0, 0, false}),
    nameOf);

TEST(Usage, IsThatOfTheFirstTopLevelCollection) {
    Bytes descriptor = application(report(input1, 8, 1));
    ReportLayout layout;
    ASSERT_TRUE(parseReportDescriptor(descriptor.data(), descriptor.size(), &layout));
    EXPECT_EQ(layout.usagePage, 0xFF00);
    EXPECT_EQ(layout.usage, 0x0001);
}

}  // namespace
