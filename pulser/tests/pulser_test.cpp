// The pulser as a user and the board see it: run in a child process on the
// simulated bus with its virtual clock, with the exact output bytes, the
// exit status, the pauses and the reports on the wire.
#include "child.h"
#include "sim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t* argv[]);

namespace {

using sim::bus;
using sim::Bytes;

const std::string waiting = "\rZentrel接続待機中";

std::string countLine(int boards) { return "\rZentrelの接続数 " + std::to_string(boards) + "個\n"; }

const Bytes watchReport = sim::report({0x20, 0x01, 0x00, 0x02, 0xFF});
const Bytes pulseOnReport = sim::report({0x20, 0x01, 0x01, 0x02, 0xFF});
const Bytes pulseOffReport = watchReport;

// The reports of a run: the watch exchanges, then the pulse.
std::vector<Bytes> wholeRun(size_t watchExchanges) {
    std::vector<Bytes> reports(watchExchanges, watchReport);
    reports.push_back(pulseOnReport);
    reports.push_back(pulseOffReport);
    return reports;
}

sim::ChildResult runPulser(const std::vector<std::wstring>& args = {}, int64_t stopAtMs = 60000) {
    sim::ChildResult result = sim::runInChild(wmain, args, stopAtMs);
    EXPECT_EQ(result.violations, std::vector<std::string>{});
    EXPECT_EQ(result.blockedReads, 0);
    return result;
}

std::vector<int64_t> writeTimes(const sim::ChildResult& result) {
    std::vector<int64_t> times;
    for (const sim::Traffic& t : result.traffic)
        if (t.kind == sim::Traffic::write) times.push_back(t.time);
    return times;
}

class Pulser : public ::testing::Test {
protected:
    void SetUp() override { sim::reset(); }

    sim::Interface& boardWithJ2(std::vector<int> j2Values, const wchar_t* path = L"board") {
        sim::Interface& board = bus().add(path);
        for (int j2 : j2Values) board.board.script.push_back({0xFF, j2});
        return board;
    }
};

TEST_F(Pulser, StartedWithoutABoardWaitsThenWatchesAndPulsesTheBoardThatAppears) {
    boardWithJ2({0xff, 0x01, 0xfe}).plugInAt(2500);
    sim::ChildResult result = runPulser();
    EXPECT_EQ(result.output, waiting + waiting + waiting + countLine(1) + "\rff\r01\rfe");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{1000, 1000, 1000, 1, 1, 5000}));
    EXPECT_EQ(result.reports(sim::Traffic::write), wholeRun(3));
    // J1 goes high at once after the value with bit 0 clear, for 5000 ms.
    EXPECT_EQ(writeTimes(result), (std::vector<int64_t>{3000, 3001, 3002, 3002, 8002}));
    EXPECT_EQ(result.openHandles, 0u);
    EXPECT_EQ(result.liveInfoSets, 0u);
}

TEST_F(Pulser, StartedWithABoardPrintsNoWaitingLine) {
    boardWithJ2({0xff, 0xfe});
    sim::ChildResult result = runPulser();
    EXPECT_EQ(result.output, countLine(1) + "\rff\rfe");
    EXPECT_EQ(result.exitCode, 0);
}

TEST_F(Pulser, WithTwoBoardsDrivesOnlyTheFirst) {
    boardWithJ2({0xfe}, L"first");
    boardWithJ2({0xfe}, L"second");
    sim::ChildResult result = runPulser();
    EXPECT_EQ(result.output, countLine(2) + "\rfe");
    EXPECT_EQ(result.reports(sim::Traffic::write, 0), wholeRun(1));
    EXPECT_TRUE(result.reports(sim::Traffic::write, 1).empty());
}

struct Watch {
    std::vector<int> j2;
    std::string shown;
};

class J2Values : public Pulser, public ::testing::WithParamInterface<Watch> {};

TEST_P(J2Values, OnlyBit0DecidesAndEveryValueIsShown) {
    boardWithJ2(GetParam().j2);
    sim::ChildResult result = runPulser();
    EXPECT_EQ(result.output, countLine(1) + GetParam().shown);
    EXPECT_EQ(result.exitCode, 0);
    std::vector<DWORD> pauses(GetParam().j2.size() - 1, 1);  // none after the value that ends the watch
    pauses.push_back(5000);
    EXPECT_EQ(result.pauses, pauses);
    EXPECT_EQ(result.reports(sim::Traffic::write), wholeRun(GetParam().j2.size()));
}

INSTANTIATE_TEST_SUITE_P(Sequences, J2Values,
                         ::testing::Values(Watch{{0x00}, "\r00"}, Watch{{0xfe}, "\rfe"},
                                           Watch{{0xff, 0x01, 0xfe}, "\rff\r01\rfe"},
                                           Watch{{0x01, 0x01, 0x01, 0x00}, "\r01\r01\r01\r00"},
                                           Watch{{0x03, 0x0f, 0x02}, "\r03\r0f\r02"},
                                           Watch{{0xa1, 0x80}, "\ra1\r80"}));

TEST_F(Pulser, ArgumentsChangeNothing) {
    boardWithJ2({0xff, 0xfe});
    sim::ChildResult plain = runPulser();
    sim::ChildResult withArgs = runPulser({L"/c5", L"/t100", L"x"});
    EXPECT_EQ(withArgs.output, plain.output);
    EXPECT_EQ(withArgs.exitCode, 0);
    EXPECT_EQ(withArgs.pauses, plain.pauses);
    EXPECT_EQ(withArgs.reports(sim::Traffic::write), plain.reports(sim::Traffic::write));
}

TEST_F(Pulser, WithoutABoardKeepsWaitingOnceASecond) {
    sim::ChildResult result = runPulser({}, 3500);
    EXPECT_TRUE(result.stoppedByClock);
    EXPECT_EQ(result.output, waiting + waiting + waiting + waiting);
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{1000, 1000, 1000, 1000}));
}

// --- Failures ----------------------------------------------------------------

TEST_F(Pulser, ABoardUnpluggedDuringTheWatchIsWaitedForAndPulsedWhenItIsBack) {
    sim::Interface& board = boardWithJ2({0xff, 0xff, 0xff, 0x01, 0xfe}, L"before");
    board.faults.unplugAfter = 3;
    board.faults.replugAfterMs = 1500;
    board.faults.replugPath = L"after";  // the old path opens nothing any more
    sim::ChildResult result = runPulser();
    EXPECT_EQ(result.output, countLine(1) + "\rff\rff\rff" + waiting + countLine(1) + "\r01\rfe");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{1, 1, 1, 1000, 1000, 1, 5000}));
    EXPECT_EQ(result.reports(sim::Traffic::write), wholeRun(5));
    EXPECT_EQ(result.openHandles, 0u);
}

TEST_F(Pulser, ABoardThatCannotBeOpenedIsRetriedOnceASecond) {
    boardWithJ2({0xfe}).faults.capsFail = true;
    sim::ChildResult result = runPulser({}, 3500);
    EXPECT_TRUE(result.stoppedByClock);
    EXPECT_EQ(result.output, countLine(1) + countLine(1) + countLine(1) + countLine(1));
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{1000, 1000, 1000, 1000}));
    EXPECT_TRUE(result.traffic.empty());
    EXPECT_EQ(result.openHandles, 0u);
}

TEST_F(Pulser, ABoardWhoseReportsCannotBeReadIsDroppedAndRetried) {
    boardWithJ2({0xfe}).faults.readFails = true;
    sim::ChildResult result = runPulser({}, 2500);
    EXPECT_TRUE(result.stoppedByClock);
    EXPECT_EQ(result.output, countLine(1) + countLine(1) + countLine(1));
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{1000, 1000, 1000}));
    EXPECT_EQ(result.openHandles, 0u);  // each failed connection was closed
}

TEST_F(Pulser, AFailedPulseExchangeIsIgnored) {
    boardWithJ2({0xff, 0xfe}).faults.unplugAfter = 2;  // gone right after the watch
    sim::ChildResult result = runPulser();
    EXPECT_EQ(result.output, countLine(1) + "\rff\rfe");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.pauses, (std::vector<DWORD>{1, 5000}));
    EXPECT_EQ(result.reports(sim::Traffic::write), std::vector<Bytes>(2, watchReport));
}

}  // namespace
