#include "allocations.h"
#include "device.h"
#include "sim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sim::Bytes;
using sim::bus;
using sim::report;

const wchar_t* const pathA = L"\\\\?\\hid#vid_1352&pid_0120#a#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const wchar_t* const pathB = L"\\\\?\\hid#vid_1352&pid_0121#b#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const wchar_t* const pathOther = L"\\\\?\\hid#vid_845e&pid_0001#c#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::vector<std::wstring> paths(const DeviceList& list) {
    std::vector<std::wstring> found;
    for (DeviceListNode* node = list.first(); node != nullptr; node = node->next) found.push_back(node->path);
    return found;
}

// One way to set up an interface, named for the test's name.
struct InterfaceSetup {
    const char* name;
    void (*apply)(sim::Interface&);
};

template <class Case>
std::string nameOf(const ::testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

class Bus : public ::testing::Test {
protected:
    void SetUp() override { sim::reset(); }

    // Whatever a test did, the platform saw no call that it would reject.
    void TearDown() override { EXPECT_EQ(bus().violations, std::vector<std::string>{}); }

    std::vector<Bytes> reads() const {
        std::vector<Bytes> found;
        for (const sim::Traffic& t : bus().traffic)
            if (t.kind == sim::Traffic::read) found.push_back(t.report);
        return found;
    }

    void expectNothingLeft() {
        EXPECT_EQ(bus().openHandles(), 0u);
        EXPECT_EQ(bus().liveInfoSets(), 0u);
        EXPECT_EQ(bus().livePreparsedData(), 0u);
    }
};

// --- Discovery ---------------------------------------------------------------

using Discovery = Bus;

TEST_F(Discovery, NoInterfaceFindsNothing) {
    DeviceList list;
    EXPECT_EQ(list.find(), 0);
    EXPECT_EQ(list.first(), nullptr);
    expectNothingLeft();
}

struct IdCase {
    USHORT vendor, product;
    bool listed;
};

class Identity : public Discovery, public ::testing::WithParamInterface<IdCase> {};

TEST_P(Identity, OnlyTheBoardsVendorAndProductsAreListed) {
    sim::Interface& device = bus().add(pathA);
    device.vendorId = GetParam().vendor;
    device.productId = GetParam().product;
    DeviceList list;
    EXPECT_EQ(list.find(), GetParam().listed ? 1 : 0);
    EXPECT_EQ(paths(list), GetParam().listed ? std::vector<std::wstring>{pathA} : std::vector<std::wstring>{});
    expectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(Ids, Identity,
                         ::testing::Values(IdCase{0x1352, 0x0120, true}, IdCase{0x1352, 0x0121, true},
                                           IdCase{0x1352, 0x0122, false}, IdCase{0x1352, 0x0000, false},
                                           IdCase{0x1353, 0x0120, false}, IdCase{0x845e, 0x0121, false},
                                           IdCase{0x2152, 0x0120, false}));

TEST_F(Discovery, BoardsAreListedInEnumerationOrderAndOtherDevicesSkipped) {
    bus().add(pathB).productId = 0x0121;
    sim::Interface& other = bus().add(pathOther);
    other.vendorId = 0x845e;
    other.hasBoard = false;
    bus().add(pathA);
    DeviceList list;
    EXPECT_EQ(list.find(), 2);
    EXPECT_EQ(paths(list), (std::vector<std::wstring>{pathB, pathA}));
    EXPECT_EQ(std::wstring(list.first()->path), pathB);
    expectNothingLeft();
}

TEST_F(Discovery, ABoardWithTwoInterfacesGetsTwoEntries) {
    bus().add(L"board#if0");
    bus().add(L"board#if1");
    DeviceList list;
    EXPECT_EQ(list.find(), 2);
    EXPECT_EQ(paths(list), (std::vector<std::wstring>{L"board#if0", L"board#if1"}));
}

TEST_F(Discovery, AnInterfaceThatCannotBeOpenedReadWriteIsSkipped) {
    bus().add(pathA).opensReadWrite = false;
    bus().add(pathB);
    DeviceList list;
    EXPECT_EQ(list.find(), 1);
    EXPECT_EQ(paths(list), std::vector<std::wstring>{pathB});
    expectNothingLeft();
}

TEST_F(Discovery, FindAgainAppendsAfterWhatTheListHolds) {
    bus().add(pathA);
    bus().add(pathB);
    DeviceList list;
    EXPECT_EQ(list.find(), 2);
    EXPECT_EQ(list.find(), 2);
    EXPECT_EQ(paths(list), (std::vector<std::wstring>{pathA, pathB, pathA, pathB}));
    expectNothingLeft();
}

TEST_F(Discovery, ABoardPluggedInAfterAnEmptyFindIsFoundByTheNext) {
    DeviceList list;
    EXPECT_EQ(list.find(), 0);
    bus().add(pathA);
    EXPECT_EQ(list.find(), 1);
    EXPECT_EQ(paths(list), std::vector<std::wstring>{pathA});
}

TEST_F(Discovery, NoDeviceInformationSetFindsNothing) {
    bus().add(pathA);
    bus().noDeviceInfoSet = true;
    DeviceList list;
    EXPECT_EQ(list.find(), 0);
    EXPECT_EQ(list.first(), nullptr);
    expectNothingLeft();
}

TEST_F(Discovery, AFailingEnumerationCallEndsTheWalkAndKeepsWhatWasFound) {
    bus().add(pathA);
    bus().add(pathB);
    bus().enumerationFailsAt = 1;
    DeviceList list;
    EXPECT_EQ(list.find(), 1);
    EXPECT_EQ(paths(list), std::vector<std::wstring>{pathA});
    expectNothingLeft();
}

// Each fault makes the first of two boards unusable; the walk goes on to the second.
class SkippedMember : public Discovery, public ::testing::WithParamInterface<InterfaceSetup> {};

TEST_P(SkippedMember, IsSkippedAndTheNextOneListed) {
    GetParam().apply(bus().add(pathA));
    bus().add(pathB);
    DeviceList list;
    EXPECT_EQ(list.find(), 1);
    EXPECT_EQ(paths(list), std::vector<std::wstring>{pathB});
    expectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SkippedMember,
    ::testing::Values(
        InterfaceSetup{"SizeQueryStoresNoLength", [](sim::Interface& i) { i.faults.detailSizeStoresNoLength = true; }},
        InterfaceSetup{"SizeQueryTooSmall", [](sim::Interface& i) { i.faults.detailSizeTooSmall = true; }},
        InterfaceSetup{"DetailFillFails", [](sim::Interface& i) { i.faults.detailFillFails = true; }},
        InterfaceSetup{"AttributesFail", [](sim::Interface& i) { i.faults.attributesFail = true; }}),
    nameOf<InterfaceSetup>);

// --- Opening and closing ----------------------------------------------------

using Connection = Bus;

TEST_F(Connection, OpeningAPathThatNamesNoDeviceFails) {
    bus().add(pathA);
    UsbDevice usb;
    EXPECT_EQ(usb.open(pathB), nullptr);
    int j1 = -1, j2 = -1;
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_TRUE(bus().traffic.empty());
    expectNothingLeft();
}

// A board whose report lengths cannot be read, or are too short for a
// report ID and a block, is not opened.
class UnusableBoard : public Bus, public ::testing::WithParamInterface<InterfaceSetup> {};

TEST_P(UnusableBoard, OpenFailsAndLeavesNothingOpen) {
    GetParam().apply(bus().add(pathA));
    UsbDevice usb;
    EXPECT_EQ(usb.open(pathA), nullptr);
    int j1 = -1, j2 = -1;
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_TRUE(bus().traffic.empty());
    expectNothingLeft();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnusableBoard,
    ::testing::Values(
        InterfaceSetup{"PreparsedDataFails", [](sim::Interface& i) { i.faults.preparsedDataFails = true; }},
        InterfaceSetup{"CapsFail", [](sim::Interface& i) { i.faults.capsFail = true; }},
        InterfaceSetup{"Input64", [](sim::Interface& i) { i.inputLength = 64; }},
        InterfaceSetup{"Output64", [](sim::Interface& i) { i.outputLength = 64; }},
        InterfaceSetup{"NoReports", [](sim::Interface& i) { i.inputLength = i.outputLength = 0; }},
        InterfaceSetup{"NineBytes", [](sim::Interface& i) { i.inputLength = i.outputLength = 9; }}),
    nameOf<InterfaceSetup>);

TEST_F(Connection, OpenHoldsOneHandleAndNoPreparsedDataUntilClose) {
    bus().add(pathA);
    UsbDevice usb;
    EXPECT_NE(usb.open(pathA), nullptr);
    EXPECT_EQ(bus().openHandles(), 1u);
    EXPECT_EQ(bus().livePreparsedData(), 0u);
    usb.close();
    expectNothingLeft();
    usb.close();  // a second close does nothing
    expectNothingLeft();
}

TEST_F(Connection, TheDestructorClosesAnOpenConnection) {
    bus().add(pathA);
    {
        UsbDevice usb;
        usb.open(pathA);
        EXPECT_EQ(bus().openHandles(), 1u);
    }
    expectNothingLeft();
}

TEST_F(Connection, OpenOnAnOpenConnectionClosesTheFirstHandle) {
    bus().add(pathA);
    bus().add(pathB);
    UsbDevice usb;
    usb.open(pathA);
    EXPECT_NE(usb.open(pathB), nullptr);
    EXPECT_EQ(bus().openHandles(), 1u);
    int j1, j2;
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(bus().written(0).size(), 0u);
    EXPECT_EQ(bus().written(1).size(), 1u);
}

TEST_F(Connection, AClosedConnectionCanBeOpenedAgain) {
    bus().add(pathA);
    UsbDevice usb;
    usb.open(pathA);
    usb.close();
    int j1, j2;
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_TRUE(bus().traffic.empty());
    EXPECT_NE(usb.open(pathA), nullptr);
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
}

// --- Exchanges ---------------------------------------------------------------

class Exchange : public Bus {
protected:
    void SetUp() override {
        Bus::SetUp();
        bus().add(pathA);
    }
    sim::Interface& board() { return bus().interfaces[0]; }
    UsbDevice usb;
    int j1 = -1, j2 = -1;
};

struct PortCase {
    int j1Out, j2Out;
    unsigned char j1Sent, j2Sent;
};

class PortCommand : public Exchange, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortCommand, IsOneReportOf0x00AndTheBlock) {
    usb.open(pathA);
    EXPECT_TRUE(usb.exchangePorts(GetParam().j1Out, GetParam().j2Out, &j1, &j2));
    EXPECT_EQ(bus().written(), std::vector<Bytes>{report({0x20, 0x01, GetParam().j1Sent, 0x02, GetParam().j2Sent})});
    EXPECT_EQ(board().board.j1Out, GetParam().j1Sent);
    EXPECT_EQ(board().board.j2Out, GetParam().j2Sent);
}

INSTANTIATE_TEST_SUITE_P(Values, PortCommand,
                         ::testing::Values(PortCase{0x00, 0xFF, 0x00, 0xFF}, PortCase{0x1FF, 0x100, 0xFF, 0x00},
                                           PortCase{0x01, 0xFF, 0x01, 0xFF}, PortCase{-1, 0x7F, 0xFF, 0x7F}));

TEST_F(Exchange, TheInputValuesComeFromResponseBytes1And2) {
    board().board.j1In = 0x80;
    board().board.j2In = 0x01;
    usb.open(pathA);
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(j1, 128);
    EXPECT_EQ(j2, 1);
}

TEST_F(Exchange, TheResponseBlockIsBytes1To64OfTheAnswer) {
    usb.open(pathA);
    unsigned char send[64] = {0x55};  // a command the board answers with zeros and the echo
    send[63] = 0x00;
    unsigned char recv[64];
    memset(recv, 0xAA, sizeof recv);
    EXPECT_TRUE(usb.transfer(send, recv));
    EXPECT_EQ(Bytes(recv, recv + 64), Bytes(64, 0x00));
}

TEST_F(Exchange, OneWriteAndOneReadWhenTheFirstReportAnswers) {
    usb.open(pathA);
    usb.exchangePorts(0xFF, 0xFF, &j1, &j2);  // the first exchange sizes the bus's queue
    int callsBefore = bus().platformCalls;
    bus().recordTraffic = false;
    long allocationsBefore = heapAllocations();
    for (int i = 0; i < 10; ++i) EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(heapAllocations() - allocationsBefore, 0);
    EXPECT_EQ(bus().platformCalls - callsBefore, 20);
}

class WrongEcho : public Exchange, public ::testing::WithParamInterface<int> {};

TEST_P(WrongEcho, ReportsWithAnotherEchoByteAreDiscarded) {
    board().faults.wrongEchoBeforeAnswer = GetParam();
    board().board.j1In = 0x12;
    board().board.j2In = 0x34;
    usb.open(pathA);
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(j1, 0x12);
    EXPECT_EQ(j2, 0x34);
    EXPECT_EQ(bus().written().size(), 1u);
    EXPECT_EQ(reads().size(), static_cast<size_t>(GetParam() + 1));
}

INSTANTIATE_TEST_SUITE_P(Counts, WrongEcho, ::testing::Values(0, 1, 2, 50));

TEST_F(Exchange, LongerReportsAreWrittenAndReadWhole) {
    board().inputLength = 80;
    board().outputLength = 72;
    board().board.j2In = 0x5A;
    usb.open(pathA);
    EXPECT_TRUE(usb.exchangePorts(0x00, 0xFF, &j1, &j2));
    EXPECT_EQ(j2, 0x5A);
    EXPECT_EQ(bus().written(), std::vector<Bytes>{report({0x20, 0x01, 0x00, 0x02, 0xFF}, 72)});
}

// A failed exchange returns false, leaves the response block as it was and
// the connection open.
struct ExchangeFault {
    const char* name;
    void (*apply)(sim::Faults&);
    size_t reads;
};

class FailedExchange : public Exchange, public ::testing::WithParamInterface<ExchangeFault> {};

TEST_P(FailedExchange, ReturnsFalseAndLeavesTheResponseUnwritten) {
    usb.open(pathA);
    GetParam().apply(board().faults);
    unsigned char send[64] = {0x20, 0x01, 0xFF, 0x02, 0xFF};
    unsigned char recv[64];
    memset(recv, 0xAA, sizeof recv);
    EXPECT_FALSE(usb.transfer(send, recv));
    EXPECT_EQ(Bytes(recv, recv + 64), Bytes(64, 0xAA));
    EXPECT_EQ(reads().size(), GetParam().reads);
    EXPECT_EQ(bus().openHandles(), 1u);

    // The values stored after a failed port exchange are those of a zeroed block.
    j1 = j2 = -1;
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(j1, 0);
    EXPECT_EQ(j2, 0);

    // The connection is still usable once the fault is gone.
    board().faults = sim::Faults();
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(j1, 0xFF);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedExchange,
    ::testing::Values(ExchangeFault{"WriteFails", [](sim::Faults& f) { f.writeFails = true; }, 0},
                      ExchangeFault{"ShortWrite", [](sim::Faults& f) { f.writeShortBy = 1; }, 0},
                      ExchangeFault{"ReadFails", [](sim::Faults& f) { f.readFails = true; }, 0},
                      ExchangeFault{"ShortAnswer", [](sim::Faults& f) { f.answerShortBy = 1; }, 1},
                      ExchangeFault{"ShortAnswerAfterStrays",
                                    [](sim::Faults& f) {
                                        f.answerShortBy = 30;
                                        f.wrongEchoBeforeAnswer = 2;
                                    },
                                    3}),
    nameOf<ExchangeFault>);

TEST_F(Exchange, AnUnpluggedBoardFailsEveryLaterExchange) {
    board().faults.unplugAfter = 2;
    usb.open(pathA);
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(bus().written().size(), 2u);
    usb.close();
    expectNothingLeft();
    DeviceList list;
    EXPECT_EQ(list.find(), 0);
}

TEST_F(Exchange, NothingCrossesTheBusOnAConnectionThatIsNotOpen) {
    unsigned char send[64] = {0x20};
    unsigned char recv[64] = {};
    EXPECT_FALSE(usb.transfer(send, recv));  // never opened
    board().opensReadWrite = false;
    usb.open(pathA);
    EXPECT_FALSE(usb.transfer(send, recv));  // open failed
    board().opensReadWrite = true;
    usb.open(pathA);
    usb.close();
    EXPECT_FALSE(usb.transfer(send, recv));  // closed
    int a, b, c;
    EXPECT_FALSE(usb.readConfig(&a, &b, &c));
    EXPECT_FALSE(usb.writeConfig(1, 2, 3));
    EXPECT_TRUE(bus().traffic.empty());
    EXPECT_EQ(board().board.config5, 0);
}

// --- Configuration -----------------------------------------------------------

using Configuration = Exchange;

TEST_F(Configuration, WriteSendsBytes5_6_2AndClosesTheConnection) {
    usb.open(pathA);
    EXPECT_TRUE(usb.writeConfig(0x12, 0x34, 0x56));
    EXPECT_EQ(bus().written(), std::vector<Bytes>{report({0xF9, 0x00, 0x56, 0x00, 0x00, 0x12, 0x34})});
    EXPECT_EQ(bus().openHandles(), 0u);
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(bus().written().size(), 1u);
    EXPECT_NE(usb.open(pathA), nullptr);
    EXPECT_TRUE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
}

TEST_F(Configuration, WriteTakesTheLow8BitsOfEachArgument) {
    usb.open(pathA);
    EXPECT_TRUE(usb.writeConfig(0x1AB, 0x2CD, -1));
    EXPECT_EQ(bus().written(), std::vector<Bytes>{report({0xF9, 0x00, 0xFF, 0x00, 0x00, 0xAB, 0xCD})});
    EXPECT_EQ(board().board.config5, 0xAB);
}

TEST_F(Configuration, AFailedWriteClosesTheConnectionToo) {
    usb.open(pathA);
    board().faults.readFails = true;
    EXPECT_FALSE(usb.writeConfig(1, 2, 3));
    EXPECT_EQ(bus().openHandles(), 0u);
    board().faults = sim::Faults();
    EXPECT_FALSE(usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    EXPECT_EQ(bus().written().size(), 1u);
}

TEST_F(Configuration, ReadSends0xF8AndStoresBytes5_6_2InArgumentOrder) {
    board().board.config2 = 0x56;
    board().board.config5 = 0x12;
    board().board.config6 = 0x34;
    usb.open(pathA);
    int config5 = -1, config6 = -1, config2 = -1;
    EXPECT_TRUE(usb.readConfig(&config5, &config6, &config2));
    EXPECT_EQ(bus().written(), std::vector<Bytes>{report({0xF8})});
    EXPECT_EQ(config5, 0x12);
    EXPECT_EQ(config6, 0x34);
    EXPECT_EQ(config2, 0x56);
    EXPECT_EQ(bus().openHandles(), 1u);
}

TEST_F(Configuration, WhatReadReturnsGoesBackUnchangedThroughWrite) {
    board().board.config2 = 0xC2;
    board().board.config5 = 0xC5;
    board().board.config6 = 0xC6;
    usb.open(pathA);
    int config5, config6, config2;
    EXPECT_TRUE(usb.readConfig(&config5, &config6, &config2));
    EXPECT_TRUE(usb.writeConfig(config5, config6, config2));
    EXPECT_EQ(bus().written().back(), report({0xF9, 0x00, 0xC2, 0x00, 0x00, 0xC5, 0xC6}));
    EXPECT_EQ(board().board.config2, 0xC2);
    EXPECT_EQ(board().board.config5, 0xC5);
    EXPECT_EQ(board().board.config6, 0xC6);
}

TEST_F(Configuration, AFailedReadStoresZeros) {
    usb.open(pathA);
    board().faults.writeFails = true;
    int config5 = -1, config6 = -1, config2 = -1;
    EXPECT_FALSE(usb.readConfig(&config5, &config6, &config2));
    EXPECT_EQ(config5, 0);
    EXPECT_EQ(config6, 0);
    EXPECT_EQ(config2, 0);
    EXPECT_EQ(bus().openHandles(), 1u);
}

}  // namespace
