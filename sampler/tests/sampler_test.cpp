// The sampler as a user sees it: run in a child process on the simulated
// bus, with its exact output bytes, its exit code and the pauses it made.
#include "child.h"
#include "sim.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

int wmain(int argc, wchar_t* argv[]);

namespace {

using sim::bus;
using sim::Bytes;

const std::string notFound = "Zentrelが見つかりません\n";

std::string countLine(int boards, long long count, long long interval) {
    return "Zentrelの接続数 " + std::to_string(boards) + "個 " + std::to_string(count) + "回," +
           std::to_string(interval) + "ms\n";
}

std::string errorLine(int reading) { return "Zentrel(" + std::to_string(reading) + ")と通信中にエラーが発生しました\n"; }

const Bytes readingReport = sim::report({0x20, 0x01, 0xFF, 0x02, 0xFF});

sim::ChildResult runSampler(const std::vector<std::wstring>& args) {
    sim::ChildResult result = sim::runInChild(wmain, args);
    EXPECT_EQ(result.violations, std::vector<std::string>{});
    return result;
}

class Sampler : public ::testing::Test {
protected:
    void SetUp() override { sim::reset(); }
};

// --- Options, seen through the count line, the readings and the pauses ------

struct Options {
    std::vector<std::wstring> args;
    int count;
    int interval;
};

class OptionsOnABoard : public Sampler, public ::testing::WithParamInterface<Options> {};

TEST_P(OptionsOnABoard, GiveTheCountLineTheReadingsAndThePauses) {
    sim::Interface& board = bus().add(L"board");
    board.board.j1In = 0x12;
    board.board.j2In = 0x0a;
    sim::ChildResult result = runSampler(GetParam().args);

    size_t readings = static_cast<size_t>(std::max(0, GetParam().count));
    std::string expected = countLine(1, GetParam().count, GetParam().interval);
    for (size_t i = 0; i < readings; ++i) expected += std::to_string(i) + ",12,0a\n";
    EXPECT_EQ(result.output, expected);
    EXPECT_EQ(result.exitCode, 0);
    std::vector<DWORD> pauses(GetParam().interval >= 1 ? readings : 0, static_cast<DWORD>(GetParam().interval));
    EXPECT_EQ(result.pauses, pauses);
    EXPECT_EQ(result.reports(sim::Traffic::write), std::vector<Bytes>(readings, readingReport));
    EXPECT_EQ(result.openHandles, 0u);
    EXPECT_EQ(result.liveInfoSets, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, OptionsOnABoard,
    ::testing::Values(Options{{}, 0, 0}, Options{{L"/c3"}, 3, 0}, Options{{L"/c3", L"/c5"}, 5, 0},
                      Options{{L"/c5", L"/t100", L"/c2"}, 2, 100}, Options{{L"/C5"}, 0, 0},
                      Options{{L"/T100", L"/c1"}, 1, 0}, Options{{L"-c5"}, 0, 0}, Options{{L"c5"}, 0, 0},
                      Options{{L"/t", L"/c2"}, 2, 0}, Options{{L"/t-50", L"/c2"}, 2, -50}, Options{{L"/c0"}, 0, 0},
                      Options{{L"/c-1"}, -1, 0}, Options{{L"/c10abc"}, 10, 0}, Options{{L"/cabc"}, 0, 0},
                      Options{{L"/c 7"}, 7, 0}, Options{{L"/c+2", L"/t+3"}, 2, 3}, Options{{L"/c"}, 0, 0},
                      Options{{L"/", L"", L"/x9", L"/c2"}, 2, 0}, Options{{L"/c\xFF13"}, 0, 0},
                      Options{{L"/t1000", L"/c1"}, 1, 1000}, Options{{L"/t1", L"/c3"}, 3, 1},
                      Options{{L"/t0", L"/c2"}, 2, 0}, Options{{L"/c2", L"/t7", L"/t5"}, 2, 5}));

// A board that cannot be opened: the count line shows the parsed values,
// and the first reading, if any is asked for, fails.
struct Unopened {
    std::vector<std::wstring> args;
    long long count, interval;
};

class OptionsOnAnUnopenableBoard : public Sampler, public ::testing::WithParamInterface<Unopened> {};

TEST_P(OptionsOnAnUnopenableBoard, ShowTheParsedValuesThenFailTheFirstReading) {
    bus().add(L"board").faults.capsFail = true;
    sim::ChildResult result = runSampler(GetParam().args);
    bool reads = GetParam().count >= 1;
    EXPECT_EQ(result.output, countLine(1, GetParam().count, GetParam().interval) + (reads ? errorLine(0) : ""));
    EXPECT_EQ(result.exitCode, reads ? 2 : 0);
    EXPECT_TRUE(result.pauses.empty());
    EXPECT_TRUE(result.traffic.empty());
    EXPECT_EQ(result.openHandles, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, OptionsOnAnUnopenableBoard,
    ::testing::Values(Unopened{{}, 0, 0}, Unopened{{L"/c1"}, 1, 0}, Unopened{{L"/c99999999999"}, 2147483647, 0},
                      Unopened{{L"/c2147483648"}, 2147483647, 0}, Unopened{{L"/c-2147483649"}, -2147483648LL, 0},
                      Unopened{{L"/t99999999999", L"/c1"}, 1, 2147483647},
                      Unopened{{L"/t-99999999999"}, 0, -2147483648LL}));

// --- Boards ------------------------------------------------------------------

TEST_F(Sampler, WithoutABoardPrintsTheNotFoundLineAndExits1) {
    sim::Interface& other = bus().add(L"mouse");  // another HID device is probed and skipped
    other.vendorId = 0x845e;
    other.hasBoard = false;
    for (const auto& args : {std::vector<std::wstring>{}, std::vector<std::wstring>{L"/c5"}}) {
        sim::ChildResult result = runSampler(args);
        EXPECT_EQ(result.output, notFound);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.traffic.empty());
        EXPECT_EQ(result.openHandles, 0u);
    }
}

TEST_F(Sampler, WithTwoBoardsReadsOnlyTheFirst) {
    bus().add(L"first").board.j1In = 0x01;
    bus().add(L"second").board.j1In = 0x02;
    sim::ChildResult result = runSampler({L"/c2"});
    EXPECT_EQ(result.output, countLine(2, 2, 0) + "0,01,ff\n1,01,ff\n");
    EXPECT_EQ(result.reports(sim::Traffic::write, 0).size(), 2u);
    EXPECT_EQ(result.reports(sim::Traffic::write, 1).size(), 0u);
}

TEST_F(Sampler, PrintsTheInputValuesAsTwoLowerCaseHexDigits) {
    bus().add(L"board").board.script = {{0x0a, 0xff}, {0xff, 0x00}, {0x00, 0x0a}, {0xAB, 0x7f}};
    sim::ChildResult result = runSampler({L"/c4"});
    EXPECT_EQ(result.output, countLine(1, 4, 0) + "0,0a,ff\n1,ff,00\n2,00,0a\n3,ab,7f\n");
}

TEST_F(Sampler, AFailureAtTheThirdReadingEndsWithTheErrorLineAndCode2) {
    bus().add(L"board").faults.unplugAfter = 2;
    sim::ChildResult result = runSampler({L"/c5", L"/t10"});
    EXPECT_EQ(result.output, countLine(1, 5, 10) + "0,ff,ff\n1,ff,ff\n" + errorLine(2));
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{10, 10}));  // none after the failed reading
}

TEST_F(Sampler, WrongEchoReportsBeforeEachAnswerAreSkipped) {
    sim::Interface& board = bus().add(L"board");
    board.faults.wrongEchoBeforeAnswer = 3;
    board.board.j2In = 0x5a;
    sim::ChildResult result = runSampler({L"/c2"});
    EXPECT_EQ(result.output, countLine(1, 2, 0) + "0,ff,5a\n1,ff,5a\n");
    EXPECT_EQ(result.reports(sim::Traffic::read).size(), 8u);
}

// Each line is written out before the next reading starts: the board marks
// each exchange on standard output behind stdio's back, so a line still
// held in a buffer would show up after the mark.
TEST_F(Sampler, EachLineReachesThePipeBeforeTheNextReading) {
    bus().add(L"board").board.beforeAnswer = [](sim::Board&) { (void)!write(STDOUT_FILENO, "|", 1); };
    sim::ChildResult result = runSampler({L"/c3", L"/t5"});
    EXPECT_EQ(result.output, countLine(1, 3, 5) + "|0,ff,ff\n|1,ff,ff\n|2,ff,ff\n");
}

}  // namespace
