#pragma once
// Files the tests make for themselves: a private temporary folder, simple
// 24-bit BMP frames, and whole files read or written as bytes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"

namespace skyroll::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A bottom-up 24-bit BMP of `width` x `height` filled with a pattern that
// depends on `seed`.
std::string makeBmp(int width, int height, std::uint32_t seed);

// Frame files every toolkit must judge alike: a sound BMP of each depth the
// program reads is shown at its size, anything cut short, pointing past its
// end or too big to hold in memory is refused, before any pixel is decoded.
struct FrameCase {
    const char* name;
    std::string bytes;
    bool accepted;
    int width = 0, height = 0;
};
std::vector<FrameCase> frameCases();

// The 44 globe frames EarthMap_1.bmp .. EarthMap_44.bmp, 180 x 183, in
// <appFolder>/SKR20/earth, and the other data folders, empty.
void writeGlobeFrames(const std::filesystem::path& appFolder);

// The 23 moon frames MoonMap_1.bmp .. MoonMap_23.bmp, 111 x 109, in
// <appFolder>/SKR20/moon.
void writeMoonFrames(const std::filesystem::path& appFolder);

void writeFile(const std::filesystem::path& file, std::string_view bytes);
// Makes a named pipe at `file`; false where the system has none.
bool makeNamedPipe(const std::filesystem::path& file);
// The names of every file and folder under `folder`, relative to it, sorted.
std::vector<std::string> treeOf(const std::filesystem::path& folder);

// Sets (or, given nullptr, removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};
std::string readFile(const std::filesystem::path& file);

// The local file system, for the core's functions called on their own.
platform::FileSystem& localFiles();

}  // namespace skyroll::test
