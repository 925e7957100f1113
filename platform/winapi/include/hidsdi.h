/* Stand-in for the HID class support routines of hid.dll (hidsdi.h). */
#ifndef WINAPI_STANDIN_HIDSDI_H
#define WINAPI_STANDIN_HIDSDI_H

#include <hidpi.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _HIDD_ATTRIBUTES {
    ULONG Size;
    USHORT VendorID;
    USHORT ProductID;
    USHORT VersionNumber;
} HIDD_ATTRIBUTES, *PHIDD_ATTRIBUTES;

void WINAPI HidD_GetHidGuid(LPGUID HidGuid);
BOOLEAN WINAPI HidD_GetAttributes(HANDLE HidDeviceObject, PHIDD_ATTRIBUTES Attributes);
BOOLEAN WINAPI HidD_GetPreparsedData(HANDLE HidDeviceObject, PHIDP_PREPARSED_DATA* PreparsedData);
BOOLEAN WINAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA PreparsedData);

#ifdef __cplusplus
}
#endif

#endif
