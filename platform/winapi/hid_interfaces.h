// What both implementations of the stand-in say alike about the HID
// interfaces they enumerate: the HID interface class GUID, and the interface
// record of a member, which carries the member's index for the detail query.
#pragma once

#include <setupapi.h>

#include <cstddef>
#include <cstring>

// The HID interface class, {4D1E55B2-F16F-11CF-88CB-001111000030}.
const GUID hidClassGuid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

inline bool isHidClass(const GUID* guid) { return guid != nullptr && memcmp(guid, &hidClassGuid, sizeof *guid) == 0; }

inline void describeMember(SP_DEVICE_INTERFACE_DATA* data, DWORD memberIndex) {
    data->InterfaceClassGuid = hidClassGuid;
    data->Flags = 1;  // active
    data->Reserved = memberIndex + 1;
}

// The member index in a record that describeMember filled, or -1 for a record
// of no member below count.
inline long memberOf(const SP_DEVICE_INTERFACE_DATA& data, size_t count) {
    return data.Reserved == 0 || data.Reserved > count ? -1 : static_cast<long>(data.Reserved - 1);
}
