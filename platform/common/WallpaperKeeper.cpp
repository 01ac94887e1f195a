#include "platform/common/WallpaperKeeper.h"

#include <charconv>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/NativeFiles.h"
#include "platform/common/ProfileFile.h"

namespace skyroll::platform {
namespace {

namespace fs = std::filesystem;

constexpr char kRecordName[] = "wallpaper-record";
constexpr char kRecordHeader[] = "skyroll wallpaper record 1\n";
// A record holds a few paths; anything larger is not ours.
constexpr std::uintmax_t kMaxRecordSize = 1 << 20;

// Fields are "name length\n" followed by exactly that many bytes and "\n",
// so paths and saved states may hold any byte, line ends included.
void putField(std::string& out, std::string_view name, const std::optional<std::string>& value) {
    out.append(name).append(" ");
    out.append(value ? std::to_string(value->size()) : "-").append("\n");
    if (value) out.append(*value);
    out.append("\n");
}

bool takeField(std::string_view& in, std::string_view name, std::optional<std::string>& value) {
    const auto lineEnd = in.find('\n');
    if (lineEnd == std::string_view::npos) return false;
    const std::string_view line = in.substr(0, lineEnd);
    if (line.size() <= name.size() || line.substr(0, name.size()) != name || line[name.size()] != ' ')
        return false;
    const std::string_view length = line.substr(name.size() + 1);
    in.remove_prefix(lineEnd + 1);
    if (length == "-") {
        value.reset();
    } else {
        std::size_t size = 0;
        const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), size);
        if (error != std::errc{} || end != length.data() + length.size() || size >= in.size()) return false;
        value = std::string(in.substr(0, size));
        in.remove_prefix(size);
    }
    if (in.empty() || in.front() != '\n') return false;
    in.remove_prefix(1);
    return true;
}

// A name read from the record, fit for one log line.
std::string printable(std::string_view text) {
    std::string out;
    for (const char c : text.substr(0, 40)) out += (c >= 0x20 && c < 0x7f) ? c : '?';
    return out;
}

}  // namespace

WallpaperKeeper::WallpaperKeeper(WallpaperService& service, fs::path stateFolder, Log log)
    : m_service(service), m_stateFolder(std::move(stateFolder)), m_log(std::move(log)) {}

fs::path WallpaperKeeper::recordFile() const {
    return m_stateFolder.empty() ? fs::path() : m_stateFolder / kRecordName;
}

std::optional<std::string> WallpaperKeeper::wallpaperSetting() {
    m_user = m_service.read();
    if (!m_user) {
        m_log("the wallpaper could not be read: it will not be changed");
        return std::nullopt;
    }
    if (const auto record = readRecord()) {
        if (record->service != m_service.name()) {
            // Another desktop's service wrote it: only a start under that
            // desktop can tell whether its picture is still on.
            m_log("a crash record of another desktop (" + printable(record->service) +
                  ") is kept for a start under it");
            m_foreignRecord = true;
        } else if (m_service.standing(*m_user, record->shown, record->user.saved) ==
                   WallpaperService::Standing::ours) {
            // The program's own picture is still on after a run that did not
            // end cleanly: the record holds the user's wallpaper, and stays
            // until that has been set back.
            m_log("the space picture was left on: the user's wallpaper comes from the crash record");
            m_user = record->user;
        } else {
            m_log("a stale crash record is removed: the wallpaper has changed since");
            removeRecord();
        }
    }
    return m_user->path ? *m_user->path : std::string();
}

bool WallpaperKeeper::setDeskWallpaper(const std::string& path) {
    if (m_user && path == m_user->path.value_or(std::string())) return restoreWallpaper();
    if (!m_user) {
        m_log(
            "the space picture is not set: the user's wallpaper could not be read, so it could not be given "
            "back");
        return false;
    }
    if (m_foreignRecord) {
        m_log("the space picture is not set: another desktop's crash record is in its place");
        return false;
    }
    if (recordFile().empty()) {
        m_log("the space picture is not set: there is no state folder for the crash record");
        return false;
    }
    const auto committing = [&](const std::string& shown) {
        if (writeRecord({std::string(m_service.name()), shown, *m_user})) return true;
        m_log("the space picture is not set: the crash record could not be written");
        return false;
    };
    return m_service.apply(path, committing);
}

bool WallpaperKeeper::restoreWallpaper() {
    if (!m_user) {
        m_log("no wallpaper to give back: it could not be read at start");
        return false;
    }
    if (!m_service.restore(m_user->saved)) {
        // The record stays: the next start recognises the picture and tries again.
        m_log("the user's wallpaper could not be set back");
        return false;
    }
    if (!m_foreignRecord) removeRecord();
    return true;
}

std::optional<WallpaperKeeper::Record> WallpaperKeeper::readRecord() const {
    const fs::path file = recordFile();
    if (file.empty()) return std::nullopt;
    std::string text;
    // A record too big to be ours reads as an empty one: unreadable.
    const native::ReadStatus status = native::readFileBounded(file, kMaxRecordSize, text);
    if (status == native::ReadStatus::missing) return std::nullopt;
    if (status != native::ReadStatus::ok) text.clear();
    std::string_view rest = text;
    Record record;
    std::optional<std::string> service, shown, saved;
    const bool ok = rest.substr(0, sizeof kRecordHeader - 1) == kRecordHeader &&
                    (rest.remove_prefix(sizeof kRecordHeader - 1), true) &&
                    takeField(rest, "service", service) && takeField(rest, "shown", shown) &&
                    takeField(rest, "path", record.user.path) && takeField(rest, "saved", saved) &&
                    rest.empty() && service && shown && saved;
    if (!ok) {
        m_log("an unreadable crash record is ignored");
        return std::nullopt;
    }
    record.service = *service;
    record.shown = *shown;
    record.user.saved = *saved;
    return record;
}

bool WallpaperKeeper::writeRecord(const Record& record) const {
    std::string text = kRecordHeader;
    putField(text, "service", record.service);
    putField(text, "shown", record.shown);
    putField(text, "path", record.user.path);
    putField(text, "saved", record.user.saved);
    return profile::replaceFileAtomically(recordFile(), text);
}

void WallpaperKeeper::removeRecord() const {
    const fs::path file = recordFile();
    std::error_code error;
    if (!file.empty()) fs::remove(file, error);
}

}  // namespace skyroll::platform
