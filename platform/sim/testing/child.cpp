#include "child.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sim {

namespace {

const int stoppedByClockCode = 97;
int reportFd = -1;
bool stoppedByClock = false;

std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

Bytes unhex(const std::string& text) {
    Bytes bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2) bytes.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

// At the child's exit, by return, exit() or the clock: what the bus saw.
void writeReport() {
    std::ostringstream out;
    const Bus& b = bus();
    out << "clock " << stoppedByClock << "\nend " << b.now << "\nhandles " << b.openHandles() << "\nsets "
        << b.liveInfoSets() << "\npreparsed " << b.livePreparsedData() << "\nblocked " << b.blockedReads << "\n";
    for (DWORD pause : b.pauses) out << "pause " << pause << "\n";
    for (const Traffic& t : b.traffic)
        out << (t.kind == Traffic::write ? "write " : "read ") << t.interfaceIndex << " " << t.time << " "
            << hex(t.report) << "\n";
    for (const std::string& v : b.violations) out << "violation " << v << "\n";
    std::string text = out.str();
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = write(reportFd, p, left);
        if (n <= 0) break;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void readReport(const std::string& path, ChildResult& result) {
    std::ifstream in(path);
    std::string word;
    while (in >> word) {
        if (word == "clock") in >> result.stoppedByClock;
        else if (word == "end") in >> result.endTime;
        else if (word == "handles") in >> result.openHandles;
        else if (word == "sets") in >> result.liveInfoSets;
        else if (word == "preparsed") in >> result.livePreparsedData;
        else if (word == "blocked") in >> result.blockedReads;
        else if (word == "pause") {
            DWORD pause = 0;
            in >> pause;
            result.pauses.push_back(pause);
        } else if (word == "write" || word == "read") {
            Traffic t{word == "write" ? Traffic::write : Traffic::read, 0, 0, {}};
            std::string bytes;
            in >> t.interfaceIndex >> t.time >> bytes;
            t.report = unhex(bytes);
            result.traffic.push_back(t);
        } else if (word == "violation") {
            std::string line;
            std::getline(in, line);
            result.violations.push_back(line);
        }
    }
}

}  // namespace

std::vector<Bytes> ChildResult::reports(Traffic::Kind kind, size_t interfaceIndex) const {
    std::vector<Bytes> found;
    for (const Traffic& t : traffic)
        if (t.kind == kind && t.interfaceIndex == interfaceIndex) found.push_back(t.report);
    return found;
}

ChildResult runInChild(Entry entry, const std::vector<std::wstring>& args, int64_t stopAtMs) {
    ChildResult result;
    char reportPath[] = "/tmp/simchild-XXXXXX";
    int fileFd = mkstemp(reportPath);
    int out[2];
    if (fileFd < 0 || pipe(out) != 0) {
        result.output = "runInChild: no pipe or report file";
        return result;
    }
    fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        dup2(out[1], STDOUT_FILENO);
        close(out[1]);
        // A fresh stream, as a program starts with: the test runner's own
        // output has already made the inherited one byte-oriented.
        if (freopen(nullptr, "w", stdout) == nullptr) _exit(125);
        reportFd = fileFd;
        alarm(60);  // a child that hangs is a failure, not a stuck test run
        setenv("LC_ALL", "C.UTF-8", 1);
        bus().stopAt = stopAtMs;
        bus().stop = [] {
            stoppedByClock = true;
            exit(stoppedByClockCode);
        };
        atexit(writeReport);
        std::vector<std::wstring> copies(args);
        copies.insert(copies.begin(), L"program");
        std::vector<wchar_t*> argv;
        for (std::wstring& arg : copies) argv.push_back(arg.data());
        argv.push_back(nullptr);
        exit(entry(static_cast<int>(copies.size()), argv.data()));
    }
    close(out[1]);
    char buffer[4096];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    close(fileFd);
    readReport(reportPath, result);
    unlink(reportPath);
    if (result.stoppedByClock) result.exitCode = -1;
    return result;
}

}  // namespace sim
