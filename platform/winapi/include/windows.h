/* Stand-in for the part of the Windows API that this project uses, for hosts
 * other than Windows. Written from the documented contract: the names,
 * parameter types and structure layouts are the documented ones, so that any
 * implementation of that API can be linked behind these declarations.
 *
 * One deliberate difference: WCHAR is the host's wchar_t (32 bits on Linux),
 * so that wide literals and the C runtime's wide functions work unchanged. */
#ifndef WINAPI_STANDIN_WINDOWS_H
#define WINAPI_STANDIN_WINDOWS_H

#include <locale.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#define WINAPI

typedef int BOOL;
typedef unsigned char BOOLEAN;
typedef unsigned char BYTE;
typedef unsigned short USHORT;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef uint32_t ULONG;
typedef int32_t LONG;
typedef LONG NTSTATUS;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef DWORD* PDWORD;
typedef DWORD* LPDWORD;
typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef wchar_t WCHAR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* PCWSTR;
typedef struct HWND__* HWND;

typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID, *LPGUID;

typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef struct _OVERLAPPED* LPOVERLAPPED;

#define TRUE 1
#define FALSE 0
#define ANYSIZE_ARRAY 1
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define OPEN_EXISTING 3u

HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                          DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);
BOOL WINAPI CloseHandle(HANDLE hObject);
BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                      LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
BOOL WINAPI ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                     LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
void WINAPI Sleep(DWORD dwMilliseconds);

/* The C runtime's wide-character extras. On Windows they come with the
 * runtime's locale.h, stdio.h and string.h; here windows.h, which every user
 * of the stand-in includes, declares them. */
wchar_t* _wsetlocale(int category, const wchar_t* locale);
int _putws(const wchar_t* str);
wchar_t* _wcsdup(const wchar_t* str);

#ifdef __cplusplus
}
#endif

#endif
