// config_check: round-trips the configuration bytes of the first board
// through the library: read them, write 0x12 0x34 0x56, see the connection
// closed, open again and read them back. Prints one line per step.
#include "device.h"

#include <cstdio>

int main() {
    DeviceList list;
    UsbDevice usb;
    if (list.find() == 0) {
        printf("no board\n");
        return 1;
    }
    const wchar_t* path = list.first()->path;
    usb.open(path);
    int config5 = -1, config6 = -1, config2 = -1;
    bool ok = usb.readConfig(&config5, &config6, &config2);
    printf("read %d %02x %02x %02x\n", ok, config5, config6, config2);
    printf("write %d\n", usb.writeConfig(0x12, 0x34, 0x56));
    int j1 = 0, j2 = 0;
    printf("exchange after write %d\n", usb.exchangePorts(0xFF, 0xFF, &j1, &j2));
    usb.open(path);
    ok = usb.readConfig(&config5, &config6, &config2);
    printf("read %d %02x %02x %02x\n", ok, config5, config6, config2);
    usb.close();
    return 0;
}
