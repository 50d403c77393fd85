// The calling conventions of the binary interface between a host and its plug-ins. On x86 the
// plug-in's exports and most host services are __stdcall and the two services with a variable
// argument list are __cdecl; x64 and Linux have one convention, so both words are empty there.
#pragma once

#if defined(_WIN32)
#define HB_STDCALL __stdcall
#define HB_CDECL __cdecl
#else
#define HB_STDCALL
#define HB_CDECL
#endif
