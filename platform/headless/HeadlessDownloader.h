#pragma once
// The headless platform's W3getv: never opens a socket. The page of address
// "scheme://host/some/path" is copied from <pages folder>/some/path, whatever
// the host; without a pages folder, or when that file is missing or larger
// than the downloader's limit, or once a stop is requested, an empty page is
// stored and the call fails.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Downloader.h"

namespace skyroll::headless {

class HeadlessDownloader final : public platform::Downloader {
public:
    static constexpr std::size_t kMaxPageBytes = 4 * 1024 * 1024;

    // An empty `pagesFolder` stores every page empty.
    explicit HeadlessDownloader(std::filesystem::path pagesFolder = {});

    std::int32_t W3getv(std::string& command, std::int32_t& option) override;

    // Every command received, in order, as it arrived.
    const std::vector<std::string>& commands() const { return m_commands; }

    // Runs inside every call, before the page is stored: what a downloader
    // that waits for its transfer through the event loop (the Windows one)
    // lets happen meanwhile. It may throw ProgramEnded, as such a wait does.
    void setWhileTransferring(std::function<void()> action) { m_whileTransferring = std::move(action); }

private:
    std::function<void()> m_whileTransferring;
    std::filesystem::path m_pagesFolder;
    std::vector<std::string> m_commands;
};

}  // namespace skyroll::headless
