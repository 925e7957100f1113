// sampler: reads both ports of the first board a requested number of times.
//   sampler [/t<ms>] [/c<count>]
// Exit code 0 when the readings were made, 1 when no board is found,
// 2 when an exchange with the board fails.
#include "device.h"
#include "options.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace {

const int portsOut = 0xFF;  // both ports driven high at every reading

// Each line reaches the reader at once, also through a pipe or into a file.
void endLine() { fflush(stdout); }

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
    DeviceList list;
    UsbDevice usb;
    _wsetlocale(LC_ALL, L"");
    SamplerOptions options = parseOptions(argc, argv);

    int boards = list.find();
    if (boards == 0) {
        _putws(L"Zentrelが見つかりません");
        exit(1);
    }
    wprintf(L"Zentrelの接続数 %i個 %i回,%ims\n", boards, options.count, options.interval);
    endLine();

    // A board that cannot be opened shows as a failed first reading.
    usb.open(list.first()->path);
    for (int reading = 0; reading < options.count; ++reading) {
        int j1 = 0, j2 = 0;
        if (!usb.exchangePorts(portsOut, portsOut, &j1, &j2)) {
            wprintf(L"Zentrel(%i)と通信中にエラーが発生しました\n", reading);
            exit(2);
        }
        wprintf(L"%i,%02x,%02x\n", reading, j1, j2);
        endLine();
        if (options.interval >= 1) Sleep(static_cast<DWORD>(options.interval));
    }
    usb.close();
    return 0;
}
