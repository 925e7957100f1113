// The Windows HID, SetupAPI and file functions, implemented over the
// simulated bus. Each call checks its arguments as the real platform does
// and fails as the real one would; what the real one rejects is also noted
// in Bus::violations, so that a test sees it.
#include "sim.h"

#include "hid_interfaces.h"

#include <setupapi.h>
#include <hidsdi.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>

namespace sim {

namespace {

const int blockLength = 64;
const int echoIndex = 63;

const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();

BOOL violation(const std::string& what) {
    bus().violations.push_back(what);
    return FALSE;
}

uintptr_t key(const void* p) { return reinterpret_cast<uintptr_t>(p); }

size_t indexOf(const Interface& device) { return static_cast<size_t>(&device - bus().interfaces.data()); }

// Brings back an unplugged interface once its time to be away is over.
void updatePresence(Interface& device) {
    if (device.present || device.faults.replugAfterMs < 0) return;
    if (bus().clock() < device.unpluggedAt + device.faults.replugAfterMs) return;
    device.present = true;
    if (!device.faults.replugPath.empty()) {
        device.path = device.faults.replugPath;
        bus().pathIndex.emplace(device.path, indexOf(device));
    }
    device.exchanges = 0;
    device.faults.unplugAfter = -1;
}

void unplug(Interface& device) {
    device.present = false;
    ++device.generation;
    device.unpluggedAt = bus().clock();
    device.pendingRead = device.pendingQueued = 0;
}

// The interface behind a handle, or null when the handle is unknown or
// its device has gone since it was opened.
Interface* deviceOf(HANDLE handle, const char* caller) {
    auto found = bus().handles.find(key(handle));
    if (found == bus().handles.end()) {
        violation(std::string(caller) + ": unknown handle");
        return nullptr;
    }
    Interface& device = bus().interfaces[found->second.interfaceIndex];
    if (!device.present || found->second.generation != device.generation) return nullptr;
    return &device;
}

void record(Traffic::Kind kind, const Interface& device, const unsigned char* report, size_t length) {
    if (!bus().recordTraffic) return;
    bus().traffic.push_back({kind, indexOf(device), bus().clock(), Bytes(report, report + length)});
}

void queue(Interface& device, const unsigned char* block, DWORD reportedLength) {
    if (device.pendingRead == device.pendingQueued) device.pendingRead = device.pendingQueued = 0;
    if (device.pendingQueued == device.pending.size()) device.pending.push_back({});
    Interface::Pending& slot = device.pending[device.pendingQueued++];
    slot.report.assign(device.inputLength, 0x00);
    memcpy(slot.report.data() + 1, block, blockLength);
    slot.reportedLength = reportedLength;
}

const SP_DEVICE_INTERFACE_DATA* memberData(HDEVINFO set, const SP_DEVICE_INTERFACE_DATA* data, size_t* index) {
    auto found = bus().infoSets.find(key(set));
    if (found == bus().infoSets.end()) return violation("SetupDi: unknown device information set"), nullptr;
    if (data == nullptr || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return violation("SetupDi: SP_DEVICE_INTERFACE_DATA.cbSize wrong"), nullptr;
    long member = memberOf(*data, found->second.size());
    if (member < 0) return violation("SetupDi: interface data from no enumeration of this set"), nullptr;
    *index = found->second[static_cast<size_t>(member)];
    return data;
}

}  // namespace

Interface& Bus::add(const std::wstring& path) {
    interfaces.push_back({});
    interfaces.back().path = path;
    pathIndex.emplace(path, interfaces.size() - 1);
    return interfaces.back();
}

int64_t Bus::clock() const {
    if (!realTime) return now;
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count();
}

std::vector<Bytes> Bus::written(size_t interfaceIndex) const {
    std::vector<Bytes> reports;
    for (const Traffic& t : traffic)
        if (t.kind == Traffic::write && t.interfaceIndex == interfaceIndex) reports.push_back(t.report);
    return reports;
}

Bytes report(std::initializer_list<unsigned char> blockStart, size_t length) {
    Bytes bytes(length, 0x00);
    std::copy(blockStart.begin(), blockStart.end(), bytes.begin() + 1);
    return bytes;
}

Bus& bus() {
    static Bus theBus;
    return theBus;
}

void reset() { bus() = Bus(); }

}  // namespace sim

using sim::bus;
using sim::Interface;
using sim::violation;

extern "C" {

void WINAPI HidD_GetHidGuid(LPGUID HidGuid) {
    ++bus().platformCalls;
    *HidGuid = hidClassGuid;
}

HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID* ClassGuid, PCWSTR Enumerator, HWND hwndParent, DWORD Flags) {
    ++bus().platformCalls;
    if (!isHidClass(ClassGuid) || Enumerator != nullptr || hwndParent != nullptr ||
        Flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) {
        violation("SetupDiGetClassDevsW: not the present HID interfaces (class, enumerator, parent or flags)");
        return INVALID_HANDLE_VALUE;
    }
    if (bus().noDeviceInfoSet) return INVALID_HANDLE_VALUE;
    std::vector<size_t> members;
    for (Interface& device : bus().interfaces) {
        sim::updatePresence(device);
        if (device.present) members.push_back(sim::indexOf(device));
    }
    uintptr_t id = bus().nextId++;
    bus().infoSets[id] = members;
    return reinterpret_cast<HDEVINFO>(id);
}

BOOL WINAPI SetupDiEnumDeviceInterfaces(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                        const GUID* InterfaceClassGuid, DWORD MemberIndex,
                                        PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData) {
    ++bus().platformCalls;
    auto found = bus().infoSets.find(sim::key(DeviceInfoSet));
    if (found == bus().infoSets.end()) return violation("SetupDiEnumDeviceInterfaces: unknown set");
    if (DeviceInfoData != nullptr) return violation("SetupDiEnumDeviceInterfaces: unexpected device record");
    if (!isHidClass(InterfaceClassGuid))
        return violation("SetupDiEnumDeviceInterfaces: not the HID class");
    if (DeviceInterfaceData == nullptr || DeviceInterfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA))
        return violation("SetupDiEnumDeviceInterfaces: SP_DEVICE_INTERFACE_DATA.cbSize wrong");
    if (static_cast<int64_t>(MemberIndex) == bus().enumerationFailsAt) return FALSE;
    if (MemberIndex >= found->second.size()) return FALSE;  // no more items
    describeMember(DeviceInterfaceData, MemberIndex);
    return TRUE;
}

BOOL WINAPI SetupDiGetDeviceInterfaceDetailW(HDEVINFO DeviceInfoSet, PSP_DEVICE_INTERFACE_DATA DeviceInterfaceData,
                                             PSP_DEVICE_INTERFACE_DETAIL_DATA_W DeviceInterfaceDetailData,
                                             DWORD DeviceInterfaceDetailDataSize, PDWORD RequiredSize,
                                             PSP_DEVINFO_DATA DeviceInfoData) {
    ++bus().platformCalls;
    size_t index = 0;
    if (sim::memberData(DeviceInfoSet, DeviceInterfaceData, &index) == nullptr) return FALSE;
    if (DeviceInfoData != nullptr) return violation("SetupDiGetDeviceInterfaceDetailW: unexpected device record");
    Interface& device = bus().interfaces[index];
    const DWORD pathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);
    const DWORD required = static_cast<DWORD>(pathOffset + (device.path.size() + 1) * sizeof(WCHAR));

    if (DeviceInterfaceDetailData == nullptr) {
        if (DeviceInterfaceDetailDataSize != 0)
            return violation("SetupDiGetDeviceInterfaceDetailW: a length without a buffer");
        if (RequiredSize != nullptr && !device.faults.detailSizeStoresNoLength)
            *RequiredSize = device.faults.detailSizeTooSmall ? 2 : required;
        return FALSE;  // insufficient buffer
    }
    if (DeviceInterfaceDetailData->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W))
        return violation("SetupDiGetDeviceInterfaceDetailW: detail cbSize wrong");
    if (RequiredSize != nullptr) *RequiredSize = required;
    if (DeviceInterfaceDetailDataSize < required) return FALSE;  // insufficient buffer
    if (device.faults.detailFillFails) return FALSE;
    memcpy(DeviceInterfaceDetailData->DevicePath, device.path.c_str(), (device.path.size() + 1) * sizeof(WCHAR));
    return TRUE;
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet) {
    ++bus().platformCalls;
    if (bus().infoSets.erase(sim::key(DeviceInfoSet)) == 0) return violation("SetupDiDestroyDeviceInfoList: unknown set");
    return TRUE;
}

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    ++bus().platformCalls;
    // A synchronous, shared read-write open of an existing device is the
    // only kind this system makes; anything else is a fault of the caller.
    if (dwDesiredAccess != (GENERIC_READ | GENERIC_WRITE) || dwShareMode != (FILE_SHARE_READ | FILE_SHARE_WRITE) ||
        lpSecurityAttributes != nullptr || dwCreationDisposition != OPEN_EXISTING || dwFlagsAndAttributes != 0 ||
        hTemplateFile != nullptr) {
        violation("CreateFileW: not a synchronous shared read-write open of an existing device");
        return INVALID_HANDLE_VALUE;
    }
    auto found = lpFileName == nullptr ? bus().pathIndex.end() : bus().pathIndex.find(lpFileName);
    if (found == bus().pathIndex.end()) return INVALID_HANDLE_VALUE;  // file not found
    Interface& device = bus().interfaces[found->second];
    sim::updatePresence(device);
    if (!device.present || device.path != lpFileName) return INVALID_HANDLE_VALUE;  // gone, or renamed by a replug
    if (!device.opensReadWrite) return INVALID_HANDLE_VALUE;                         // access denied
    uintptr_t id = bus().nextId++;
    bus().handles[id] = {sim::indexOf(device), device.generation};
    return reinterpret_cast<HANDLE>(id);
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    ++bus().platformCalls;
    if (bus().handles.erase(sim::key(hObject)) == 0) return violation("CloseHandle: unknown handle");
    return TRUE;
}

BOOLEAN WINAPI HidD_GetAttributes(HANDLE HidDeviceObject, PHIDD_ATTRIBUTES Attributes) {
    ++bus().platformCalls;
    Interface* device = sim::deviceOf(HidDeviceObject, "HidD_GetAttributes");
    if (device == nullptr) return FALSE;
    if (Attributes->Size != sizeof(HIDD_ATTRIBUTES)) return violation("HidD_GetAttributes: Size wrong");
    if (device->faults.attributesFail) return FALSE;
    Attributes->VendorID = device->vendorId;
    Attributes->ProductID = device->productId;
    Attributes->VersionNumber = device->versionNumber;
    return TRUE;
}

BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE HidDeviceObject, PHIDP_PREPARSED_DATA* PreparsedData) {
    ++bus().platformCalls;
    Interface* device = sim::deviceOf(HidDeviceObject, "HidD_GetPreparsedData");
    if (device == nullptr || device->faults.preparsedDataFails) return FALSE;
    uintptr_t id = bus().nextId++;
    bus().preparsedData[id] = sim::indexOf(*device);
    *PreparsedData = reinterpret_cast<PHIDP_PREPARSED_DATA>(id);
    return TRUE;
}

BOOLEAN WINAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA PreparsedData) {
    ++bus().platformCalls;
    if (bus().preparsedData.erase(sim::key(PreparsedData)) == 0)
        return violation("HidD_FreePreparsedData: unknown preparsed data");
    return TRUE;
}

NTSTATUS WINAPI HidP_GetCaps(PHIDP_PREPARSED_DATA PreparsedData, PHIDP_CAPS Capabilities) {
    ++bus().platformCalls;
    auto found = bus().preparsedData.find(sim::key(PreparsedData));
    if (found == bus().preparsedData.end()) {
        violation("HidP_GetCaps: unknown preparsed data");
        return HIDP_STATUS_INVALID_PREPARSED_DATA;
    }
    const Interface& device = bus().interfaces[found->second];
    if (device.faults.capsFail) return HIDP_STATUS_INVALID_PREPARSED_DATA;
    *Capabilities = HIDP_CAPS();
    Capabilities->UsagePage = 0xFF00;  // vendor-defined
    Capabilities->Usage = 0x0001;
    Capabilities->InputReportByteLength = device.inputLength;
    Capabilities->OutputReportByteLength = device.outputLength;
    return HIDP_STATUS_SUCCESS;
}

BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
                      LPOVERLAPPED lpOverlapped) {
    ++bus().platformCalls;
    *lpNumberOfBytesWritten = 0;
    if (lpOverlapped != nullptr) return violation("WriteFile: overlapped I/O on a synchronous handle");
    Interface* device = sim::deviceOf(hFile, "WriteFile");
    if (device == nullptr) return FALSE;  // device not connected
    if (device->faults.unplugAfter >= 0 && device->exchanges >= device->faults.unplugAfter) {
        sim::unplug(*device);
        return FALSE;
    }
    if (nNumberOfBytesToWrite != device->outputLength) return violation("WriteFile: not the output report length");
    if (device->faults.writeFails) return FALSE;

    auto* report = static_cast<const unsigned char*>(lpBuffer);
    sim::record(sim::Traffic::write, *device, report, nNumberOfBytesToWrite);
    *lpNumberOfBytesWritten = nNumberOfBytesToWrite - static_cast<DWORD>(device->faults.writeShortBy);
    if (device->faults.writeShortBy > 0) return TRUE;  // part of a report does not reach the board
    ++device->exchanges;
    if (!device->hasBoard) return TRUE;

    unsigned char response[sim::blockLength];
    device->board.answer(report + 1, response);
    unsigned char stray[sim::blockLength];
    memset(stray, 0xEE, sizeof stray);
    stray[sim::echoIndex] = static_cast<unsigned char>(report[1 + sim::echoIndex] ^ 0xFF);
    for (int i = 0; i < device->faults.wrongEchoBeforeAnswer; ++i) sim::queue(*device, stray, device->inputLength);
    sim::queue(*device, response, device->inputLength - static_cast<DWORD>(device->faults.answerShortBy));
    return TRUE;
}

BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
                     LPOVERLAPPED lpOverlapped) {
    ++bus().platformCalls;
    *lpNumberOfBytesRead = 0;
    if (lpOverlapped != nullptr) return violation("ReadFile: overlapped I/O on a synchronous handle");
    Interface* device = sim::deviceOf(hFile, "ReadFile");
    if (device == nullptr) return FALSE;
    if (nNumberOfBytesToRead != device->inputLength) return violation("ReadFile: not the input report length");
    if (device->faults.readFails) return FALSE;
    if (device->pendingRead == device->pendingQueued) {
        ++bus().blockedReads;
        return FALSE;
    }
    const Interface::Pending& next = device->pending[device->pendingRead++];
    memcpy(lpBuffer, next.report.data(), next.report.size());
    *lpNumberOfBytesRead = next.reportedLength;
    sim::record(sim::Traffic::read, *device, next.report.data(), next.report.size());
    return TRUE;
}

void WINAPI Sleep(DWORD dwMilliseconds) {
    if (bus().recordTraffic) bus().pauses.push_back(dwMilliseconds);
    if (bus().realTime) {
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
        return;
    }
    bus().now += dwMilliseconds;
    if (bus().stopAt >= 0 && bus().now >= bus().stopAt && bus().stop) bus().stop();
}

}  // extern "C"
