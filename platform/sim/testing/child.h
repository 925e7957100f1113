// Runs a program's entry in a child process on the simulated bus, as a
// user would run it: standard output to a pipe, a UTF-8 locale, the exit
// code. What crossed the bus in the child comes back with the result.
#pragma once

#include "sim.h"

#include <string>
#include <vector>

namespace sim {

struct ChildResult {
    int exitCode = -1;  // -1 when the child did not exit by itself
    int signal = 0;
    bool stoppedByClock = false;
    std::string output;  // the bytes written to standard output
    int64_t endTime = 0;  // virtual milliseconds
    std::vector<DWORD> pauses;
    std::vector<Traffic> traffic;
    std::vector<std::string> violations;
    size_t openHandles = 0, liveInfoSets = 0, livePreparsedData = 0;
    int blockedReads = 0;

    // The reports written to, or read from, one interface.
    std::vector<Bytes> reports(Traffic::Kind kind, size_t interfaceIndex = 0) const;
};

using Entry = int (*)(int argc, wchar_t** argv);

// The child starts with a copy of the current bus. With stopAtMs >= 0 a
// pause that reaches that virtual time ends the child (stoppedByClock).
ChildResult runInChild(Entry entry, const std::vector<std::wstring>& args, int64_t stopAtMs = -1);

}  // namespace sim
