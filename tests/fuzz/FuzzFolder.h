#pragma once
// A scratch folder of one fuzzing process, for the targets whose code reads
// and writes real files: in memory (/dev/shm) where there is one, since the
// profile write flushes every file to the disk. Removed when the process
// ends normally.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace skyroll::fuzz {

class FuzzFolder {
public:
    FuzzFolder() : m_path(base() / ("skyroll-fuzz-" + std::to_string(static_cast<long>(::getpid())))) {
        std::filesystem::create_directories(m_path);
    }
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

    // Writes `size` bytes to `name` in the folder, replacing what was there.
    std::filesystem::path write(const std::string& name, const std::uint8_t* data, std::size_t size) const {
        const std::filesystem::path file = m_path / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        return file;
    }

private:
    static std::filesystem::path base() {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) return "/dev/shm";
        return std::filesystem::temp_directory_path();
    }

    std::filesystem::path m_path;
};

}  // namespace skyroll::fuzz
