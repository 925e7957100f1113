// A simulated HID bus behind the Windows stand-in: the HID interfaces that
// enumeration, CreateFileW, the HID calls and the report I/O see. Tests set
// it up, inject faults and read back what crossed it.
#pragma once

#include "board.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <unordered_map>
#include <string>
#include <vector>

namespace sim {

using Bytes = std::vector<unsigned char>;

// What can be made to fail on one interface. Counts refer to exchanges,
// that is, output reports written to the interface.
struct Faults {
    bool detailSizeStoresNoLength = false;
    bool detailSizeTooSmall = false;  // stores a length below the record's fixed part
    bool detailFillFails = false;
    bool attributesFail = false;
    bool preparsedDataFails = false;
    bool capsFail = false;
    bool writeFails = false;
    int writeShortBy = 0;  // the write reports this many bytes fewer
    bool readFails = false;
    int wrongEchoBeforeAnswer = 0;  // reports with another echo byte before each answer
    int answerShortBy = 0;          // the answer reports this many bytes fewer
    // After this many exchanges the interface is gone: it is no longer
    // enumerated, cannot be opened, and I/O on its handles fails. -1: never.
    int unplugAfter = -1;
    // Virtual milliseconds after the unplug at which it is present again. -1: never.
    int replugAfterMs = -1;
    // The path it comes back under; empty: the same as before.
    std::wstring replugPath;
};

struct Interface {
    // Not present from the start: plugged in at the given virtual time.
    void plugInAt(int64_t ms) {
        present = false;
        unpluggedAt = 0;
        faults.replugAfterMs = static_cast<int>(ms);
    }

    std::wstring path;
    USHORT vendorId = 0x1352;
    USHORT productId = 0x0120;
    USHORT versionNumber = 0x0100;
    bool opensReadWrite = true;
    USHORT inputLength = 65;
    USHORT outputLength = 65;
    bool hasBoard = true;  // false: some other HID device, which never answers
    Board board;
    Faults faults;

    // State kept by the bus.
    int exchanges = 0;
    bool present = true;
    int generation = 0;  // handles opened before an unplug stay dead
    int64_t unpluggedAt = 0;
    // Input reports waiting to be read, with the byte count each read reports.
    // The slots are reused, so that steady traffic allocates nothing.
    struct Pending {
        Bytes report;
        DWORD reportedLength;
    };
    std::vector<Pending> pending;
    size_t pendingRead = 0, pendingQueued = 0;
};

struct Traffic {
    enum Kind { write, read } kind;
    size_t interfaceIndex;
    int64_t time;  // virtual milliseconds
    Bytes report;
};

struct Bus {
    // Add interfaces with add(), which also indexes their paths.
    std::vector<Interface> interfaces;
    std::unordered_map<std::wstring, size_t> pathIndex;  // the first interface of each path

    // Faults of the enumeration as a whole.
    bool noDeviceInfoSet = false;
    int enumerationFailsAt = -1;  // member index whose enumeration call fails

    // Virtual clock: Sleep records the pause (while traffic is recorded)
    // and advances it.
    bool realTime = false;
    int64_t now = 0;
    std::vector<DWORD> pauses;
    // A program that never ends by itself is stopped by the clock:
    // a Sleep past this time calls stop(). -1: no limit.
    int64_t stopAt = -1;
    std::function<void()> stop;

    // What crossed the bus and what is left over.
    bool recordTraffic = true;
    std::vector<Traffic> traffic;
    struct Handle {
        size_t interfaceIndex;
        int generation;
    };
    std::map<uintptr_t, Handle> handles;
    std::map<uintptr_t, std::vector<size_t>> infoSets;  // the members of each set
    std::map<uintptr_t, size_t> preparsedData;
    uintptr_t nextId = 0x1000;
    int platformCalls = 0;  // every call of the HID, SetupAPI and file functions
    int blockedReads = 0;   // reads with no report to come: a real one would wait forever
    // Calls that the real platform would reject; each fails as it would.
    std::vector<std::string> violations;

    Interface& add(const std::wstring& path);
    int64_t clock() const;
    size_t openHandles() const { return handles.size(); }
    size_t liveInfoSets() const { return infoSets.size(); }
    size_t livePreparsedData() const { return preparsedData.size(); }
    // The reports written to the interface, in order.
    std::vector<Bytes> written(size_t interfaceIndex = 0) const;
};

// A report as the board gets it: 0x00, then a block that begins with
// blockStart and is zero up to its end (echo byte 0x00), padded to length.
Bytes report(std::initializer_list<unsigned char> blockStart, size_t length = 65);

// The one bus of the process.
Bus& bus();
// Empties the bus and its records.
void reset();

// A board on a bench: the bus of the programs' simulated build.
void setUpBench();

}  // namespace sim
