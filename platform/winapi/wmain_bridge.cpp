// The wide entry point of a Windows console program, on a host whose C
// runtime starts at main: the arguments arrive as multibyte strings in the
// user's locale and are handed on as wide strings.
#include "wmain_bridge.h"

#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <vector>

int callWmain(int argc, char** argv) {
    // Decode in the user's locale, then go back to "C" as a Windows program
    // starts: the program selects its own locale with _wsetlocale.
    setlocale(LC_ALL, "");
    std::vector<std::vector<wchar_t>> storage;
    std::vector<wchar_t*> wide;
    for (int i = 0; i < argc; ++i) {
        size_t length = mbstowcs(nullptr, argv[i], 0);
        std::vector<wchar_t> arg;
        if (length == static_cast<size_t>(-1)) {
            // Not valid in the locale: pass the bytes through one by one.
            for (const char* c = argv[i]; *c != '\0'; ++c) arg.push_back(static_cast<unsigned char>(*c));
        } else {
            arg.resize(length + 1);
            mbstowcs(arg.data(), argv[i], length + 1);
            arg.pop_back();
        }
        arg.push_back(L'\0');
        storage.push_back(std::move(arg));
    }
    for (auto& arg : storage) wide.push_back(arg.data());
    wide.push_back(nullptr);
    setlocale(LC_ALL, "C");
    return wmain(argc, wide.data());
}
