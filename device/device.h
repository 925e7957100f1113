// Access to the I/O board over USB HID: discovery of the connected boards
// and one connection to a board with its command/response exchange.
//
// Nothing here prints, throws or reads a platform error code: discovery
// returns a count, open returns a handle, every exchange returns a bool.
#pragma once

#include <windows.h>
#include <setupapi.h>
// MinGW's HID headers declare their functions without C linkage for C++.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <cstdlib>

// One entry of a DeviceList: the path of one matching HID interface.
struct DeviceListNode {
    DeviceListNode* next;
    wchar_t* path;  // heap copy made with _wcsdup, owned by the list

    DeviceListNode() : next(nullptr), path(nullptr) {}
};

// The boards found by find(), in the order the platform enumerated them.
// It only grows; destroying it frees every entry and path.
class DeviceList {
public:
    DeviceList() : head(nullptr), tail(nullptr) {}

    ~DeviceList() {
        DeviceListNode* node = head;
        while (node != nullptr) {
            DeviceListNode* next = node->next;
            free(node->path);
            delete node;
            node = next;
        }
    }

    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // Appends every present HID interface with a board's vendor and product
    // IDs and returns how many this call appended.
    int find();

    // The first entry, or null while the list is empty.
    DeviceListNode* first() const { return head; }

private:
    DeviceListNode* head;
    DeviceListNode* tail;
};

// One connection to one board. It is open exactly while handle is not null.
class UsbDevice {
public:
    // A command block and a response block each have 64 bytes; the last one
    // is the echo byte that the board's answer carries back.
    static const int blockLength = 64;

    UsbDevice()
        : handle(nullptr), preparsedData(nullptr), caps(), writeBuffer(nullptr), readBuffer(nullptr) {}

    ~UsbDevice() { close(); }

    UsbDevice(const UsbDevice&) = delete;
    UsbDevice& operator=(const UsbDevice&) = delete;

    // Opens the board's HID interface; returns the handle, or null on failure.
    HANDLE open(const wchar_t* path);
    void close();

    // One exchange: writes the command block, waits for the answer that
    // carries its echo byte and copies that answer's block into recv.
    bool transfer(const unsigned char send[blockLength], unsigned char recv[blockLength]);

    // Writes the J1 and J2 output values, stores the J1 and J2 input values.
    bool exchangePorts(int j1Out, int j2Out, int* j1In, int* j2In);

    // The three configuration bytes, in the order byte 5, byte 6, byte 2.
    bool readConfig(int* config5, int* config6, int* config2);
    // Writes them and then closes the connection, whatever the result.
    bool writeConfig(int config5, int config6, int config2);

private:
    HANDLE handle;
    PHIDP_PREPARSED_DATA preparsedData;
    HIDP_CAPS caps;
    unsigned char* writeBuffer;
    unsigned char* readBuffer;
};
