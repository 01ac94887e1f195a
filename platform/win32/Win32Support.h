#pragma once
// Small helpers of the Win32 toolkit: text across the wide-character API,
// the debug trace and where embedded pictures come from.

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace skyroll::win32 {

// UTF-8 to UTF-16 for the W functions; malformed sequences become U+FFFD.
std::wstring widen(std::string_view utf8);
// Bytes of code page `codePage` (up to their end) to UTF-16.
std::wstring widenCodePage(std::string_view bytes, UINT codePage);
std::string narrow(std::wstring_view text);

// The debug trace: one line "category: text" on stderr, flushed, when the
// environment variable SKYROLL_LOG is 1. Categories as in the Qt build
// ("skyroll.frames", "skyroll.tray", "skyroll.menu", "skyroll.region",
// "skyroll.window", "skyroll.program").
bool traceOn();
void trace(std::string_view category, std::string_view text);
// Warnings go out whether the trace is on or not.
void warn(std::string_view category, std::string_view text);

// The pictures and the icon that belong to the windows are resources of the
// executable, named after their files: "sun.gif" is the RCDATA resource
// SUN_GIF, "globe.ico" the icon resource GLOBE_ICO. Empty for a name that is
// not a plain file name.
std::wstring resourceName(std::string_view name);
// The bytes of the embedded picture `name`; std::nullopt when the executable
// has none of that name.
std::optional<std::string_view> embeddedBytes(std::string_view name);

}  // namespace skyroll::win32
