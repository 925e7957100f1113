#include "device.h"

#include <cstring>
#include <new>

namespace {

const USHORT boardVendorId = 0x1352;
const USHORT boardProductId = 0x0120;
const USHORT boardProductIdAlt = 0x0121;

// A report is the report ID byte followed by one block.
const int reportLength = 1 + UsbDevice::blockLength;
const int echoIndex = UsbDevice::blockLength - 1;

const unsigned char portExchangeCommand = 0x20;
const unsigned char readConfigCommand = 0xF8;
const unsigned char writeConfigCommand = 0xF9;
const unsigned char portJ1 = 0x01;
const unsigned char portJ2 = 0x02;

// The size fields handed to the platform are the structure sizes of the
// build's pointer width, which the platform checks.
const DWORD interfaceDataSize = sizeof(SP_DEVICE_INTERFACE_DATA);
const DWORD detailFixedSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
const ULONG attributesSize = sizeof(HIDD_ATTRIBUTES);

#ifdef _WIN32
static_assert(interfaceDataSize == (sizeof(void*) == 8 ? 32 : 28), "SP_DEVICE_INTERFACE_DATA size");
static_assert(detailFixedSize == (sizeof(void*) == 8 ? 8 : 6), "SP_DEVICE_INTERFACE_DETAIL_DATA_W size");
static_assert(attributesSize == 12, "HIDD_ATTRIBUTES size");
#endif

bool isBoard(const HIDD_ATTRIBUTES& attributes) {
    if (attributes.VendorID != boardVendorId) return false;
    return attributes.ProductID == boardProductId || attributes.ProductID == boardProductIdAlt;
}

}  // namespace

int DeviceList::find() {
    DWORD memberIndex = 0;
    int count = 0;

    GUID hidGuid;
    HidD_GetHidGuid(&hidGuid);
    HDEVINFO set = SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return 0;

    for (;; ++memberIndex) {
        SP_DEVICE_INTERFACE_DATA Data;
        Data.cbSize = interfaceDataSize;
        if (!SetupDiEnumDeviceInterfaces(set, nullptr, &hidGuid, memberIndex, &Data)) break;

        // The size query fails by design (no buffer); what counts is the
        // length it stores. A length too small for the record is unusable.
        DWORD DetailDataSize = 0;
        SetupDiGetDeviceInterfaceDetailW(set, &Data, nullptr, 0, &DetailDataSize, nullptr);
        if (DetailDataSize < detailFixedSize) continue;

        auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(malloc(DetailDataSize));
        if (detail == nullptr) continue;
        detail->cbSize = detailFixedSize;

        DWORD RequiredSize = 0;
        if (SetupDiGetDeviceInterfaceDetailW(set, &Data, detail, DetailDataSize, &RequiredSize, nullptr)) {
            HANDLE probe = CreateFileW(detail->DevicePath, GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (probe != INVALID_HANDLE_VALUE) {
                HIDD_ATTRIBUTES Attributes;
                Attributes.Size = attributesSize;
                if (HidD_GetAttributes(probe, &Attributes) && isBoard(Attributes)) {
                    // An entry is appended only with a usable path copy.
                    wchar_t* path = _wcsdup(detail->DevicePath);
                    auto* node = path == nullptr ? nullptr : new (std::nothrow) DeviceListNode;
                    if (node != nullptr) {
                        node->path = path;
                        ++count;
                        if (head == nullptr) {
                            head = node;
                        } else {
                            tail->next = node;
                        }
                        tail = node;
                    } else {
                        free(path);
                    }
                }
                CloseHandle(probe);
            }
        }
        free(detail);
    }

    SetupDiDestroyDeviceInfoList(set);
    return count;
}

HANDLE UsbDevice::open(const wchar_t* path) {
    close();

    HANDLE opened = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return nullptr;

    // The preparsed data serves only to read the report lengths; a board
    // whose lengths cannot be read, or are too short for a report, is
    // treated as one that could not be opened.
    bool usable = false;
    if (HidD_GetPreparsedData(opened, &preparsedData)) {
        usable = HidP_GetCaps(preparsedData, &caps) == HIDP_STATUS_SUCCESS &&
                 caps.OutputReportByteLength >= reportLength && caps.InputReportByteLength >= reportLength;
        HidD_FreePreparsedData(preparsedData);
        preparsedData = nullptr;
    }
    if (usable) {
        // Zeroed, so that no uninitialised byte ever goes to the board.
        writeBuffer = new (std::nothrow) unsigned char[caps.OutputReportByteLength]();
        readBuffer = new (std::nothrow) unsigned char[caps.InputReportByteLength]();
        usable = writeBuffer != nullptr && readBuffer != nullptr;
    }
    if (!usable) {
        delete[] writeBuffer;
        delete[] readBuffer;
        writeBuffer = nullptr;
        readBuffer = nullptr;
        CloseHandle(opened);
        return nullptr;
    }
    handle = opened;
    return handle;
}

void UsbDevice::close() {
    if (handle == nullptr) return;
    CloseHandle(handle);
    delete[] writeBuffer;
    delete[] readBuffer;
    writeBuffer = nullptr;
    readBuffer = nullptr;
    handle = nullptr;
}

bool UsbDevice::transfer(const unsigned char send[blockLength], unsigned char recv[blockLength]) {
    if (handle == nullptr) return false;

    writeBuffer[0] = 0x00;  // report ID
    memcpy(writeBuffer + 1, send, blockLength);
    DWORD writeN = 0;
    if (!WriteFile(handle, writeBuffer, caps.OutputReportByteLength, &writeN, nullptr) ||
        writeN != caps.OutputReportByteLength)
        return false;

    // Input reports that do not carry the command's echo byte belong to no
    // command of ours and are dropped.
    DWORD readN = 0;
    do {
        readN = 0;
        if (!ReadFile(handle, readBuffer, caps.InputReportByteLength, &readN, nullptr)) return false;
    } while (readBuffer[1 + echoIndex] != writeBuffer[1 + echoIndex]);
    if (readN != caps.InputReportByteLength) return false;

    memcpy(recv, readBuffer + 1, blockLength);
    return true;
}

bool UsbDevice::exchangePorts(int j1Out, int j2Out, int* j1In, int* j2In) {
    unsigned char send[blockLength] = {};
    unsigned char recv[blockLength] = {};
    send[0] = portExchangeCommand;
    send[1] = portJ1;
    send[2] = static_cast<unsigned char>(j1Out);
    send[3] = portJ2;
    send[4] = static_cast<unsigned char>(j2Out);
    send[echoIndex] = 0x00;
    bool ok = transfer(send, recv);
    *j1In = recv[1];
    *j2In = recv[2];
    return ok;
}

bool UsbDevice::readConfig(int* config5, int* config6, int* config2) {
    unsigned char send[blockLength] = {};
    unsigned char recv[blockLength] = {};
    send[0] = readConfigCommand;
    send[echoIndex] = 0x00;
    bool ok = transfer(send, recv);
    *config5 = recv[5];
    *config6 = recv[6];
    *config2 = recv[2];
    return ok;
}

bool UsbDevice::writeConfig(int config5, int config6, int config2) {
    unsigned char send[blockLength] = {};
    unsigned char recv[blockLength] = {};
    send[0] = writeConfigCommand;
    send[1] = 0x00;
    send[2] = static_cast<unsigned char>(config2);
    send[3] = 0x00;
    send[4] = 0x00;
    send[5] = static_cast<unsigned char>(config5);
    send[6] = static_cast<unsigned char>(config6);
    send[echoIndex] = 0x00;
    bool ok = transfer(send, recv);
    close();
    return ok;
}
