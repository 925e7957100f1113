// pulser: waits for a board, watches bit 0 of J2 and, once it reads 0,
// drives J1 to 0x01 for 5 seconds and back to 0x00. Takes no arguments;
// the exit status is always 0.
#include "device.h"

#include <clocale>
#include <cstdio>

namespace {

const DWORD enumerationPause = 1000;  // ms between enumerations that find nothing
const DWORD watchPause = 1;           // ms between exchanges of the watch
const DWORD pulseLength = 5000;       // ms that J1 stays at 0x01
const DWORD retryPause = 1000;        // ms before looking for a board again after a failure
const int j1Idle = 0x00;
const int j1Pulse = 0x01;
const int j2Out = 0xFF;
const int trigger = 0x01;  // J2 bit 0; the pulse starts when it reads 0

// Two of the prints end without a newline: flush each at once.
void show() { fflush(stdout); }

// Enumerates once a second until a board is there and returns the first
// board of that enumeration (the list keeps older entries in front).
DeviceListNode* waitForBoard(DeviceList& list) {
    for (;;) {
        DeviceListNode* last = list.first();
        while (last != nullptr && last->next != nullptr) last = last->next;
        int boards = list.find();
        if (boards > 0) {
            wprintf(L"\rZentrelの接続数 %i個\n", boards);
            show();
            return last == nullptr ? list.first() : last->next;
        }
        wprintf(L"\rZentrel接続待機中");
        show();
        Sleep(enumerationPause);
    }
}

// Exchanges until bit 0 of J2 reads 0 (true) or an exchange fails (false).
// Only values from successful exchanges are shown and tested.
bool watchJ2(UsbDevice& usb, int* j1, int* j2) {
    for (;;) {
        if (!usb.exchangePorts(j1Idle, j2Out, j1, j2)) return false;
        wprintf(L"\r%02x", *j2);
        show();
        if ((*j2 & trigger) == 0) return true;
        Sleep(watchPause);
    }
}

}  // namespace

int wmain(int, wchar_t*[]) {
    DeviceList list;
    UsbDevice usb;
    int j1 = 0, j2 = 0;
    _wsetlocale(LC_ALL, L"");

    // A board that cannot be opened or stops answering is dropped, and the
    // pulser waits for a board again, once a second.
    for (;;) {
        usb.open(waitForBoard(list)->path);
        if (watchJ2(usb, &j1, &j2)) break;
        usb.close();
        Sleep(retryPause);
    }

    // The results of the pulse exchanges are not examined: J1 is set back
    // whether or not setting it worked.
    usb.exchangePorts(j1Pulse, j2Out, &j1, &j2);
    Sleep(pulseLength);
    usb.exchangePorts(j1Idle, j2Out, &j1, &j2);
    usb.close();
    return 0;
}
