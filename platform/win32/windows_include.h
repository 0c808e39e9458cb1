// The one place that includes <windows.h>. Everything in platform/win32/ and app/win32/
// includes this header instead, so the system headers come in with the same settings
// everywhere: no min/max macros, the lean set of headers, and none of the generic
// (UNICODE-dependent) function-name macros that would clash with the names of the
// Platform interface. Code calls the ANSI ("A") functions by their full names.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <wininet.h>

// Generic names that <windows.h> maps to the "A" or "W" function; Platform declares
// methods of the same names.
#undef CreateDirectory
#undef ExpandEnvironmentStrings
#undef GetFileAttributes
#undef GetPrivateProfileString
#undef WritePrivateProfileString
#undef RegCreateKey
#undef RegDeleteKey
#undef RegDeleteValue
#undef RegEnumKey
#undef RegEnumValue
#undef RegOpenKey
#undef RegQueryValue
#undef RegSetValue
