#pragma once
// A file service for tests that hands every call on to another one, telling
// seen() what it is asked and where; a test overrides what it wants to watch
// or to break.

#include <memory>
#include <string_view>
#include <utility>

#include "platform/FileSystem.h"

namespace skyroll::test {

class ForwardingFiles : public platform::FileSystem {
public:
    explicit ForwardingFiles(std::unique_ptr<platform::FileSystem> real) : m_real(std::move(real)) {}

    // Called before each call is handed on, with the path it names (the
    // application folder, the first of two, empty when it names none).
    virtual void seen(std::string_view /*operation*/, const std::filesystem::path& /*path*/) {}

    platform::ProgramFiles programFiles(const std::filesystem::path& appFolder) override {
        seen("programFiles", appFolder);
        return m_real->programFiles(appFolder);
    }
    std::filesystem::path systemFolder() override {
        seen("systemFolder", {});
        return m_real->systemFolder();
    }
    std::filesystem::path stateFolder() override {
        seen("stateFolder", {});
        return m_real->stateFolder();
    }
    bool folderExists(const std::filesystem::path& folder) override {
        seen("folderExists", folder);
        return m_real->folderExists(folder);
    }
    bool createFolder(const std::filesystem::path& folder) override {
        seen("createFolder", folder);
        return m_real->createFolder(folder);
    }
    platform::ReadStatus readFile(const std::filesystem::path& file, std::size_t maxSize,
                                  std::string& content, bool cutAtMax) override {
        seen("readFile", file);
        return m_real->readFile(file, maxSize, content, cutAtMax);
    }
    bool writeFile(const std::filesystem::path& file, std::string_view bytes) override {
        seen("writeFile", file);
        return m_real->writeFile(file, bytes);
    }
    bool appendFile(const std::filesystem::path& file, std::string_view bytes) override {
        seen("appendFile", file);
        return m_real->appendFile(file, bytes);
    }
    bool replaceWithFile(const std::filesystem::path& written, const std::filesystem::path& target) override {
        seen("replaceWithFile", written);
        seen("replaceWithFile", target);
        return m_real->replaceWithFile(written, target);
    }
    bool removeFile(const std::filesystem::path& file) override {
        seen("removeFile", file);
        return m_real->removeFile(file);
    }
    std::string readProfileString(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::size_t bufferSize,
                                  const std::filesystem::path& file) override {
        seen("readProfileString", file);
        return m_real->readProfileString(section, key, defaultValue, bufferSize, file);
    }
    bool writeProfileStrings(std::span<const platform::ProfileEntry> entries,
                             const std::filesystem::path& file) override {
        seen("writeProfileStrings", file);
        return m_real->writeProfileStrings(entries, file);
    }
    std::unique_ptr<platform::FileLock> lock(const std::filesystem::path& file,
                                             std::chrono::milliseconds wait, std::string* failure) override {
        seen("lock", file);
        return m_real->lock(file, wait, failure);
    }
    int deleteFilesEndingWith(const std::filesystem::path& folder, std::string_view suffix) override {
        seen("deleteFilesEndingWith", folder);
        return m_real->deleteFilesEndingWith(folder, suffix);
    }
    int deleteLeftovers(const std::filesystem::path& folder,
                        const std::vector<std::filesystem::path>& alsoNamed) override {
        seen("deleteLeftovers", folder);
        return m_real->deleteLeftovers(folder, alsoNamed);
    }

private:
    std::unique_ptr<platform::FileSystem> m_real;
};

}  // namespace skyroll::test
