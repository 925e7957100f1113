// Fuzz target: for any command line, the parsed interval and count equal
// an independent model of the option rules (64-bit arithmetic, then
// clamping), and parsing reads nothing out of bounds.
#include "options.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

long long model(const std::wstring& value) {
    size_t i = 0;
    while (i < value.size() && (value[i] == L' ' || (value[i] >= L'\t' && value[i] <= L'\r'))) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) negative = value[i++] == L'-';
    long long magnitude = 0;
    for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (value[i] - L'0');
        if (magnitude > (1LL << 40)) magnitude = 1LL << 40;  // far past the range, still exact enough
    }
    long long result = negative ? -magnitude : magnitude;
    if (result > 2147483647LL) return 2147483647LL;
    if (result < -2147483648LL) return -2147483648LL;
    return result;
}

// Bytes below 0x80 are characters as they are; the others stand for the
// characters around the rules' edges: other scripts' digits and spaces.
wchar_t character(uint8_t byte) {
    static const wchar_t others[] = {0xFF10, 0xFF19, 0x0660, 0x0966, 0x3000, 0x00A0, 0x2003, 0xFF0B,
                                     0xFF0D, 0x2212, 0xFFFF, 0xD800, L'/',  L't',  L'c',  L'9'};
    return byte < 0x80 ? static_cast<wchar_t>(byte) : others[byte & 15];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes 0x00 separate the arguments; the first is the program's name.
    std::vector<std::wstring> args(1, L"sampler");
    args.emplace_back();
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += character(data[i]);
        }
    }
    // Exact-size heap copies, so that a read past an argument's end is caught.
    std::vector<wchar_t*> argv;
    for (const std::wstring& arg : args) {
        auto* copy = new wchar_t[arg.size() + 1];
        arg.copy(copy, arg.size());
        copy[arg.size()] = L'\0';
        argv.push_back(copy);
    }
    SamplerOptions parsed = parseOptions(static_cast<int>(argv.size()), argv.data());

    long long interval = 0, count = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.compare(0, 2, L"/t") == 0) interval = model(arg.substr(2));
        else if (arg.compare(0, 2, L"/c") == 0) count = model(arg.substr(2));
    }
    for (wchar_t* copy : argv) delete[] copy;
    if (parsed.interval != interval || parsed.count != count) abort();
    return 0;
}
