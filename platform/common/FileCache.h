#pragma once
// Keeps what was made from a file (a decoded picture) for as long as the file
// is provably unchanged, so that asking again for an unchanged file costs one
// stat and nothing else, while a changed file gives what a fresh read gives
// and a vanished or broken one fails.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace skyroll::platform {

// What tells a file apart from any other version of it: device, inode, size,
// modification and change times with nanoseconds. Nobody can set the change
// time, so an equal identity means the same bytes, once the file has been
// left alone for longer than the file system's clock granularity.
struct FileIdentity {
    std::uint64_t device = 0, inode = 0, size = 0;
    std::int64_t mtimeNs = 0, ctimeNs = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
// The identity of a regular file (links followed); std::nullopt when there is
// none.
std::optional<FileIdentity> identifyFile(const std::filesystem::path& file);

class FileCache {
public:
    // Reads the file afresh; null, with the reason in `error`, on failure.
    using Reader =
        std::function<std::shared_ptr<const void>(const std::filesystem::path&, std::string* error)>;

    explicit FileCache(std::size_t capacity = 128) : m_capacity(capacity) {}

    // What `read` made of the file, from the cache when the file is the same
    // one it was read from; null when the file cannot be read.
    std::shared_ptr<const void> load(const std::filesystem::path& file, const Reader& read,
                                     std::string* error = nullptr);
    template <class T>
    std::shared_ptr<const T> load(const std::filesystem::path& file, const Reader& read,
                                  std::string* error = nullptr) {
        return std::static_pointer_cast<const T>(load(file, read, error));
    }

    // Pictures that live in memory only (drawn frames): load() gives one for
    // its name before it looks at any file, with the cache on or off.
    void publish(const std::filesystem::path& file, std::shared_ptr<const void> value);
    // Forgets every published picture directly in `folder`.
    void withdraw(const std::filesystem::path& folder);
    std::size_t published() const { return m_published.size(); }

    // Off: every load reads the file (for measuring what the cache saves).
    void setEnabled(bool enabled);
    bool enabled() const { return m_enabled; }
    // File times tick coarsely (a few milliseconds, a second or two on some
    // file systems), so a file written again within one tick could keep its
    // identity: only files left alone for this long are kept.
    void setSettleTime(std::chrono::nanoseconds settle) { m_settle = settle; }
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        FileIdentity identity;
        std::shared_ptr<const void> value;
    };
    std::unordered_map<std::filesystem::path::string_type, Entry> m_entries;  // by the native name
    std::unordered_map<std::filesystem::path::string_type, std::shared_ptr<const void>> m_published;
    std::size_t m_capacity;
    std::chrono::nanoseconds m_settle = std::chrono::seconds(2);
    bool m_enabled = true;
};

}  // namespace skyroll::platform
