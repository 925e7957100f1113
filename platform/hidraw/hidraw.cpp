// The Windows HID, SetupAPI and file functions over Linux's hidraw: the
// present HID interfaces are the nodes of /sys/class/hidraw, each named by
// its device node, /dev/hidrawN.
#include "descriptor.h"
#include "hid_interfaces.h"

#include <windows.h>
#include <setupapi.h>
#include <hidsdi.h>

#include <dirent.h>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

const DWORD fileFlagOverlapped = 0x40000000u;

struct InfoSet {
    std::vector<std::wstring> paths;
};

struct Device {
    int fd;
    bool numbered;  // reports carry an ID byte of their own
};

struct Preparsed {
    std::vector<uint8_t> descriptor;
};

// hidraw0, hidraw1, ... in the order of their numbers.
std::vector<std::wstring> presentNodes() {
    std::vector<unsigned long> numbers;
    if (DIR* dir = opendir("/sys/class/hidraw")) {
        while (dirent* entry = readdir(dir)) {
            if (strncmp(entry->d_name, "hidraw", 6) != 0 || entry->d_name[6] == '\0') continue;
            char* end = nullptr;
            unsigned long n = strtoul(entry->d_name + 6, &end, 10);
            if (*end == '\0') numbers.push_back(n);
        }
        closedir(dir);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<std::wstring> paths;
    for (unsigned long n : numbers) paths.push_back(L"/dev/hidraw" + std::to_wstring(n));
    return paths;
}

bool readDescriptor(int fd, std::vector<uint8_t>* descriptor) {
    int size = 0;
    if (ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0 || size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) return false;
    hidraw_report_descriptor raw{};
    raw.size = static_cast<__u32>(size);
    if (ioctl(fd, HIDIOCGRDESC, &raw) < 0) return false;
    descriptor->assign(raw.value, raw.value + raw.size);
    return true;
}

InfoSet* infoSet(HDEVINFO set) { return set == nullptr || set == INVALID_HANDLE_VALUE ? nullptr : static_cast<InfoSet*>(set); }

const std::wstring* memberPath(HDEVINFO set, const SP_DEVICE_INTERFACE_DATA* data) {
    InfoSet* members = infoSet(set);
    if (members == nullptr || data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) return nullptr;
    long member = memberOf(*data, members->paths.size());
    return member < 0 ? nullptr : &members->paths[static_cast<size_t>(member)];
}

}  // namespace

extern "C" {

void WINAPI HidD_GetHidGuid(LPGUID HidGuid) { *HidGuid = hidClassGuid; }

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND, DWORD Flags) {
    if (!isHidClass(ClassGuid) || Enumerator != nullptr || Flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE))
        return INVALID_HANDLE_VALUE;
    return new InfoSet{presentNodes()};
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA, const GUID* InterfaceClassGuid,
                                        DWORD MemberIndex, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData) {
    InfoSet* members = infoSet(DeviceInfoSet);
    if (members == nullptr || !isHidClass(InterfaceClassGuid) || DeviceInterfaceData == nullptr ||
        DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) || MemberIndex >= members->paths.size())
        return FALSE;
    describeMember(DeviceInterfaceData, MemberIndex);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                             DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                             PSP_DEVINFO_DATA) {
    const std::wstring* path = memberPath(DeviceInfoSet, DeviceInterfaceData);
    if (path == nullptr) return FALSE;
    const size_t pathBytes = (path->size() + 1) * sizeof(WCHAR);
    const DWORD required = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) + pathBytes);
    if (RequiredSize != nullptr) *RequiredSize = required;
    if (DeviceInterfaceDetailData == nullptr) return FALSE;  // a size query
    if (DeviceInterfaceDetailData->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) return FALSE;
    if (DeviceInterfaceDetailDataSize < required) return FALSE;
    memcpy(DeviceInterfaceDetailData->DevicePath, path->c_str(), pathBytes);
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
    InfoSet* members = infoSet(DeviceInfoSet);
    if (members == nullptr) return FALSE;
    delete members;
    return TRUE;
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
    // Only synchronous opens of existing nodes; overlapped I/O has no counterpart here.
    if (lpFileName == nullptr || dwCreationDisposition != OPEN_EXISTING || (dwFlagsAndAttributes & fileFlagOverlapped))
        return INVALID_HANDLE_VALUE;
    std::string path;
    for (const WCHAR* c = lpFileName; *c != L'\0'; ++c) {
        if (*c <= 0 || *c > 0x7F) return INVALID_HANDLE_VALUE;  // device nodes have ASCII names
        path += static_cast<char>(*c);
    }
    bool reads = dwDesiredAccess & GENERIC_READ, writes = dwDesiredAccess & GENERIC_WRITE;
    int mode = reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    int fd = open(path.c_str(), mode | O_CLOEXEC);
    if (fd < 0) return INVALID_HANDLE_VALUE;  // missing node, or access refused
    std::vector<uint8_t> descriptor;
    ReportLayout layout;
    bool numbered = readDescriptor(fd, &descriptor) &&
                    parseReportDescriptor(descriptor.data(), descriptor.size(), &layout) && layout.numbered;
    return new Device{fd, numbered};
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    if (hObject == nullptr || hObject == INVALID_HANDLE_VALUE) return FALSE;
    auto* device = static_cast<Device*>(hObject);
    close(device->fd);
    delete device;
    return TRUE;
}

BOOLEAN WINAPI HidD_GetAttributes(HANDLE HidDeviceObject, PHIDD_ATTRIBUTES Attributes) {
    if (Attributes->Size != sizeof(HIDD_ATTRIBUTES)) return FALSE;
    hidraw_devinfo info{};
    if (ioctl(static_cast<Device*>(HidDeviceObject)->fd, HIDIOCGRAWINFO, &info) < 0) return FALSE;
    Attributes->VendorID = static_cast<USHORT>(info.vendor);
    Attributes->ProductID = static_cast<USHORT>(info.product);
    Attributes->VersionNumber = 0;  // hidraw does not tell the device's release number
    return TRUE;
}

BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE HidDeviceObject, PHIDP_PREPARSED_DATA* PreparsedData) {
    auto* data = new Preparsed;
    if (!readDescriptor(static_cast<Device*>(HidDeviceObject)->fd, &data->descriptor)) {
        delete data;
        return FALSE;
    }
    *PreparsedData = reinterpret_cast<PHIDP_PREPARSED_DATA>(data);
    return TRUE;
}

BOOLEAN WINAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA PreparsedData) {
    delete reinterpret_cast<Preparsed*>(PreparsedData);
    return TRUE;
}

NTSTATUS WINAPI HidP_GetCaps(PHIDP_PREPARSED_DATA PreparsedData, PHIDP_CAPS Capabilities) {
    const std::vector<uint8_t>& descriptor = reinterpret_cast<Preparsed*>(PreparsedData)->descriptor;
    ReportLayout layout;
    if (!parseReportDescriptor(descriptor.data(), descriptor.size(), &layout)) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *Capabilities = HIDP_CAPS();
    Capabilities->UsagePage = layout.usagePage;
    Capabilities->Usage = layout.usage;
    Capabilities->InputReportByteLength = static_cast<USHORT>(layout.inputLength);
    Capabilities->OutputReportByteLength = static_cast<USHORT>(layout.outputLength);
    Capabilities->FeatureReportByteLength = static_cast<USHORT>(layout.featureLength);
    return HIDP_STATUS_SUCCESS;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
    *lpNumberOfBytesWritten = 0;
    if (lpOverlapped != nullptr) return FALSE;
    // hidraw takes the report ID byte first, 0x00 for a device without IDs:
    // the whole Windows report goes out in one write().
    ssize_t n;
    do {
        n = write(static_cast<Device*>(hFile)->fd, lpBuffer, nNumberOfBytesToWrite);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return FALSE;  // ENODEV, EIO: the device is gone
    *lpNumberOfBytesWritten = static_cast<DWORD>(n);
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
    *lpNumberOfBytesRead = 0;
    if (lpOverlapped != nullptr || nNumberOfBytesToRead == 0) return FALSE;
    const Device* device = static_cast<Device*>(hFile);
    auto* buffer = static_cast<unsigned char*>(lpBuffer);
    // Windows always puts the report ID first; hidraw leaves it out for a
    // device without IDs, so the 0x00 goes back in front here.
    size_t offset = device->numbered ? 0 : 1;
    ssize_t n;
    do {
        n = read(device->fd, buffer + offset, nNumberOfBytesToRead - offset);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) return FALSE;  // ENODEV, EIO or a hang-up: the device is gone
    if (offset == 1) buffer[0] = 0x00;
    *lpNumberOfBytesRead = static_cast<DWORD>(n + static_cast<ssize_t>(offset));
    return TRUE;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    timespec left{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) < 0 && errno == EINTR) {
    }
}

}  // extern "C"
