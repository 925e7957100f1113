// The C runtime's wide-character extras that the Windows runtime has and
// glibc lacks, built on the standard wide functions.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

extern "C" wchar_t* _wsetlocale(int category, const wchar_t* locale) {
    // The locale names this project passes are ASCII ("" above all).
    std::string name;
    for (const wchar_t* c = locale; c != nullptr && *c != L'\0'; ++c) name += static_cast<char>(*c);
    const char* result = setlocale(category, locale == nullptr ? nullptr : name.c_str());
    if (result == nullptr) return nullptr;
    static thread_local wchar_t wide[256];
    size_t i = 0;
    for (; result[i] != '\0' && i + 1 < sizeof wide / sizeof wide[0]; ++i)
        wide[i] = static_cast<unsigned char>(result[i]);
    wide[i] = L'\0';
    return wide;
}

extern "C" int _putws(const wchar_t* str) {
    if (fputws(str, stdout) == -1 || fputwc(L'\n', stdout) == WEOF) return WEOF;
    return 0;
}

extern "C" wchar_t* _wcsdup(const wchar_t* str) {
    size_t bytes = (wcslen(str) + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(malloc(bytes));
    if (copy != nullptr) memcpy(copy, str, bytes);
    return copy;
}
