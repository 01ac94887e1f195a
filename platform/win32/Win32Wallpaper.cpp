#include "platform/win32/Win32Wallpaper.h"

#include <windows.h>

#include <charconv>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/PathText.h"

namespace skyroll::platform::win32 {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kPictureValue[] = L"Wallpaper";
// The longest path Windows takes, and far more than a style number needs.
constexpr std::size_t kMaxPicture = 32767;
constexpr std::size_t kMaxStyle = 32;
constexpr char kSavedHeader[] = "skyroll windows wallpaper 1";

// One registry value as it was: absent, text (plain or with %VARIABLES%)
// or a number.
struct Value {
    enum class Kind { none, sz, expand, dword };
    Kind kind = Kind::none;
    std::wstring text;  // sz and expand
    DWORD number = 0;   // dword

    bool operator==(const Value&) const = default;
};

struct Saved {
    Value picture;
    Value style;
    Value tile;
};

constexpr struct {
    const wchar_t* wide;
    std::string_view name;
    std::size_t maxText;
    Value Saved::*member;
} kValues[] = {
    {kPictureValue, "Wallpaper", kMaxPicture, &Saved::picture},
    {L"WallpaperStyle", "WallpaperStyle", kMaxStyle, &Saved::style},
    {L"TileWallpaper", "TileWallpaper", kMaxStyle, &Saved::tile},
};

class Key {
public:
    explicit Key(REGSAM access) {
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, access, &m_key) != ERROR_SUCCESS)
            m_key = nullptr;
    }
    ~Key() {
        if (m_key != nullptr) RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// Control characters never belong in a path or a style number; the saved
// text is made of lines, so they would break it too.
bool plainText(std::wstring_view text) {
    for (const wchar_t c : text)
        if (c < 0x20 || c == 0x7f) return false;
    return true;
}

std::optional<std::string> toUtf8(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), static_cast<int>(wide.size()),
                        text.data(), size, nullptr, nullptr);
    return text;
}

std::optional<std::wstring> fromUtf8(std::string_view text) {
    if (text.empty()) return std::wstring();
    const int size = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                         static_cast<int>(text.size()), nullptr, 0);
    if (size <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        wide.data(), size);
    return wide;
}

// Reads one value; std::nullopt when it is there but not what a desktop
// keeps there (another type, too long, control characters), since it could
// then not be put back as it was.
std::optional<Value> readValue(HKEY key, const wchar_t* name, std::size_t maxText) {
    std::vector<wchar_t> buffer(maxText + 2);
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LSTATUS status =
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    Value value;
    if (status == ERROR_FILE_NOT_FOUND) return value;
    if (status != ERROR_SUCCESS) return std::nullopt;
    if (type == REG_DWORD && bytes == sizeof(DWORD)) {
        value.kind = Value::Kind::dword;
        std::memcpy(&value.number, buffer.data(), sizeof(DWORD));
        return value;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // The stored text may or may not end with its zero.
    std::wstring_view text(buffer.data(), bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
    if (text.size() > maxText || !plainText(text)) return std::nullopt;
    value.kind = type == REG_SZ ? Value::Kind::sz : Value::Kind::expand;
    value.text = text;
    return value;
}

bool writeValue(HKEY key, const wchar_t* name, const Value& value) {
    switch (value.kind) {
        case Value::Kind::none: {
            const LSTATUS status = RegDeleteValueW(key, name);
            return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
        }
        case Value::Kind::dword:
            return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value.number),
                                  sizeof(DWORD)) == ERROR_SUCCESS;
        case Value::Kind::sz:
        case Value::Kind::expand:
            return RegSetValueExW(key, name, 0, value.kind == Value::Kind::sz ? REG_SZ : REG_EXPAND_SZ,
                                  reinterpret_cast<const BYTE*>(value.text.c_str()),
                                  static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t))) ==
                   ERROR_SUCCESS;
    }
    return false;
}

// %VARIABLES% of an expandable value replaced; the text itself otherwise.
std::optional<std::wstring> expanded(const Value& value) {
    if (value.kind != Value::Kind::expand) return value.text;
    std::wstring result(kMaxPicture + 1, L'\0');
    const DWORD length =
        ExpandEnvironmentStringsW(value.text.c_str(), result.data(), static_cast<DWORD>(result.size()));
    if (length == 0 || length > result.size()) return std::nullopt;
    result.resize(length - 1);
    return result;
}

bool setPicture(const std::wstring& path) {
    return SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(path.c_str()),
                                 SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) != 0;
}

constexpr std::string_view kindName(Value::Kind kind) {
    switch (kind) {
        case Value::Kind::none:
            return "none";
        case Value::Kind::sz:
            return "sz";
        case Value::Kind::expand:
            return "expand";
        case Value::Kind::dword:
            return "dword";
    }
    return "none";
}

// One line per value: "<name> <kind>[ <text or number>]", the text in UTF-8.
std::optional<std::string> format(const Saved& saved) {
    std::string out = std::string(kSavedHeader) + "\n";
    for (const auto& entry : kValues) {
        const Value& value = saved.*entry.member;
        out.append(entry.name).append(" ").append(kindName(value.kind));
        if (value.kind == Value::Kind::dword) out.append(" ").append(std::to_string(value.number));
        if (value.kind == Value::Kind::sz || value.kind == Value::Kind::expand) {
            const auto text = toUtf8(value.text);
            if (!text) return std::nullopt;
            out.append(" ").append(*text);
        }
        out.append("\n");
    }
    return out;
}

// The saved text comes back from the crash record, which anyone could have
// written: every line is checked, nothing unexpected is taken.
std::optional<Saved> parse(std::string_view text) {
    constexpr std::size_t kMaxSaved = 4 * kMaxPicture + 256;
    if (text.size() > kMaxSaved) return std::nullopt;
    const auto takeLine = [&text]() -> std::optional<std::string_view> {
        const auto end = text.find('\n');
        if (end == std::string_view::npos) return std::nullopt;
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        return line;
    };
    if (takeLine() != std::string_view(kSavedHeader)) return std::nullopt;
    Saved saved;
    for (const auto& entry : kValues) {
        auto line = takeLine();
        if (!line || !line->starts_with(entry.name) || line->substr(entry.name.size(), 1) != " ")
            return std::nullopt;
        line->remove_prefix(entry.name.size() + 1);
        const std::string_view kind = line->substr(0, line->find(' '));
        const std::string_view rest =
            kind.size() < line->size() ? line->substr(kind.size() + 1) : std::string_view();
        const bool hasRest = kind.size() < line->size();
        Value& value = saved.*entry.member;
        if (kind == "none" && !hasRest) {
            value.kind = Value::Kind::none;
        } else if (kind == "dword" && hasRest) {
            value.kind = Value::Kind::dword;
            const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value.number);
            if (error != std::errc{} || end != rest.data() + rest.size()) return std::nullopt;
        } else if ((kind == "sz" || kind == "expand") && hasRest) {
            value.kind = kind == "sz" ? Value::Kind::sz : Value::Kind::expand;
            auto wide = fromUtf8(rest);
            if (!wide || wide->size() > entry.maxText || !plainText(*wide)) return std::nullopt;
            value.text = std::move(*wide);
        } else {
            return std::nullopt;
        }
    }
    if (!text.empty()) return std::nullopt;
    return saved;
}

class Win32Wallpaper final : public WallpaperService {
public:
    std::string_view name() const override { return "Windows"; }

    std::optional<WallpaperState> read() override {
        const Key key(KEY_QUERY_VALUE);
        if (key.get() == nullptr) return std::nullopt;
        Saved saved;
        for (const auto& entry : kValues) {
            auto value = readValue(key.get(), entry.wide, entry.maxText);
            if (!value) return std::nullopt;
            saved.*entry.member = std::move(*value);
        }
        if (saved.picture.kind == Value::Kind::dword) return std::nullopt;
        const auto text = format(saved);
        const auto shown = toUtf8(saved.picture.text);
        const auto picture = expanded(saved.picture);
        if (!text || !shown || !picture) return std::nullopt;
        WallpaperState state;
        state.path = picture->empty() ? std::string() : pathText(fs::path(*picture));
        state.shown = *shown;
        state.saved = *text;
        return state;
    }

    bool apply(const std::string& path,
               const std::function<bool(const std::string& shown)>& committing) override {
        const fs::path file = pathFromText(path);
        if (file.empty()) return false;
        std::error_code error;
        const fs::path absolute = fs::absolute(file, error);
        if (error || !fs::is_regular_file(absolute, error)) return false;
        const std::wstring wide = absolute.wstring();
        const auto shown = toUtf8(wide);
        if (wide.size() > kMaxPicture || !shown || !committing(*shown)) return false;
        return setPicture(wide);
    }

    bool restore(const std::string& text) override {
        const auto saved = parse(text);
        if (!saved || saved->picture.kind == Value::Kind::dword) return false;
        const auto picture = expanded(saved->picture);
        if (!picture) return false;
        const Key key(KEY_QUERY_VALUE | KEY_SET_VALUE);
        if (key.get() == nullptr) return false;
        // The style first: the desktop reads it when the picture is set.
        bool ok = writeValue(key.get(), L"WallpaperStyle", saved->style) &&
                  writeValue(key.get(), L"TileWallpaper", saved->tile) && setPicture(*picture);
        // Setting the picture stores it as plain text, and may cut a long
        // one: the saved value goes back exactly, whatever its kind.
        ok = writeValue(key.get(), kPictureValue, saved->picture) && ok;
        // Back only when the registry holds every value as it was.
        for (const auto& entry : kValues) {
            const auto held = readValue(key.get(), entry.wide, entry.maxText);
            ok = ok && held && *held == (*saved).*entry.member;
        }
        return ok;
    }
};

}  // namespace

std::unique_ptr<WallpaperService> makeWin32Wallpaper() { return std::make_unique<Win32Wallpaper>(); }

}  // namespace skyroll::platform::win32
