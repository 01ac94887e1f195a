#include "platform/win32/Win32Support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace skyroll::win32 {

namespace {

std::wstring toWide(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int size = int(std::min<std::size_t>(bytes.size(), 1u << 24));
    const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(std::size_t(length), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
    return text;
}

void writeLine(std::string_view category, std::string_view text) {
    std::fprintf(stderr, "%.*s: %.*s\n", int(category.size()), category.data(), int(text.size()),
                 text.data());
    std::fflush(stderr);
}

}  // namespace

std::wstring widen(std::string_view utf8) { return toWide(utf8, CP_UTF8); }

std::wstring widenCodePage(std::string_view bytes, UINT codePage) { return toWide(bytes, codePage); }

std::string narrow(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = int(std::min<std::size_t>(text.size(), 1u << 24));
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

bool traceOn() {
    static const bool on = [] {
        const char* value = std::getenv("SKYROLL_LOG");
        return value && std::string_view(value) == "1";
    }();
    return on;
}

void trace(std::string_view category, std::string_view text) {
    if (traceOn()) writeLine(category, text);
}

void warn(std::string_view category, std::string_view text) { writeLine(category, text); }

std::wstring resourceName(std::string_view name) {
    // A plain file name of the layouts, never a path of its own.
    if (name.empty() || name.size() > 64 || name.starts_with(".")) return {};
    std::wstring resource;
    for (const char c : name) {
        if (c >= 'a' && c <= 'z')
            resource += wchar_t(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')
            resource += wchar_t(c);
        else if (c == '.')
            resource += L'_';
        else
            return {};
    }
    return resource;
}

std::optional<std::string_view> embeddedBytes(std::string_view name) {
    const std::wstring resource = resourceName(name);
    if (resource.empty()) return std::nullopt;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, resource.c_str(), RT_RCDATA);
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0) return std::nullopt;
    // Resources stay mapped for the life of the process.
    return std::string_view(static_cast<const char*>(bytes), size);
}

}  // namespace skyroll::win32
