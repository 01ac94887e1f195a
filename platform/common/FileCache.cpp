#include "platform/common/FileCache.h"

namespace skyroll::platform {

// identifyFile is defined with the native file operations (NativeFiles.h).

std::shared_ptr<const void> FileCache::load(const std::filesystem::path& file, const Reader& read,
                                            std::string* error) {
    const auto& key = file.native();
    if (const auto it = m_published.find(key); it != m_published.end()) return it->second;
    const auto before = identifyFile(file);
    if (m_enabled && before) {
        const auto it = m_entries.find(key);
        if (it != m_entries.end() && it->second.identity == *before) return it->second.value;
    }
    auto value = read(file, error);
    if (!value) {
        m_entries.erase(key);
        return nullptr;
    }
    // Only a file that was already settled before the read, and did not change
    // during it, is kept.
    if (m_enabled && before) {
        const auto after = identifyFile(file);
        const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count();
        if (after && *before == *after && now - before->ctimeNs > m_settle.count()) {
            if (m_entries.size() >= m_capacity && !m_entries.contains(key)) m_entries.clear();
            m_entries[key] = Entry{*before, value};
            return value;
        }
    }
    m_entries.erase(key);
    return value;
}

void FileCache::publish(const std::filesystem::path& file, std::shared_ptr<const void> value) {
    m_published[file.native()] = std::move(value);
}

void FileCache::withdraw(const std::filesystem::path& folder) {
    std::erase_if(m_published, [&](const auto& entry) {
        return std::filesystem::path(entry.first).parent_path() == folder;
    });
}

void FileCache::setEnabled(bool enabled) {
    m_enabled = enabled;
    if (!enabled) m_entries.clear();
}

}  // namespace skyroll::platform
