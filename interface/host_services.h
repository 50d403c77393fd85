// The services a host's library offers its plug-ins, imported by their plain names. All text
// is UTF-16; on Windows char16_t has the layout of the host's wchar_t.
#pragma once

#include "interface/calling_conventions.h"

extern "C" {
int HB_CDECL Printf(const char16_t* format, ...);
int HB_CDECL Qprintf(void* handle, const char16_t* format, ...);
int HB_STDCALL QPuts(const char16_t* text);
int HB_STDCALL ExpandVariables(char16_t* buffer, int flag);
int HB_STDCALL QueryTrueName(const char16_t* name, char16_t* fullName); // fullName: 32,768 units
int HB_STDCALL QueryIsDirectory(const char16_t* path);
int HB_STDCALL HostIPC(const char16_t* request, char16_t* buffer);
}
