#include "options.h"

#include <climits>
#include <cwchar>

namespace {

// The C locale's white space. Locale-dependent spaces and the digits of
// other scripts (such as full-width digits) are not accepted, so that a
// value means the same on every platform and in every locale.
bool isSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }
bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

int toInt32(const wchar_t* text) {
    while (isSpace(*text)) ++text;
    bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+') ++text;
    // Accumulated as a magnitude that stops growing once past the range.
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; isDigit(*text); ++text) {
        magnitude = magnitude * 10 + (*text - L'0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

SamplerOptions parseOptions(int argc, const wchar_t* const* argv) {
    SamplerOptions options;
    for (int i = 1; i < argc; ++i) {
        if (wcsncmp(argv[i], L"/t", 2) == 0) {
            options.interval = toInt32(argv[i] + 2);
        } else if (wcsncmp(argv[i], L"/c", 2) == 0) {
            options.count = toInt32(argv[i] + 2);
        }
    }
    return options;
}
