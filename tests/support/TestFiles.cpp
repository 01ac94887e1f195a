#include "tests/support/TestFiles.h"

#include <stdlib.h>
#if !defined(_WIN32)
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace skyroll::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("skyroll-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

namespace {
void put16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}
}  // namespace

std::string makeBmp(int width, int height, std::uint32_t seed) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(height);
    std::string s;
    s += "BM";
    put32(s, 54 + pixelBytes);
    put32(s, 0);
    put32(s, 54);
    put32(s, 40);
    put32(s, static_cast<std::uint32_t>(width));
    put32(s, static_cast<std::uint32_t>(height));
    put16(s, 1);
    put16(s, 24);
    put32(s, 0);
    put32(s, pixelBytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 0);
    put32(s, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            s.push_back(static_cast<char>((x + seed * 5) & 0xFF));
            s.push_back(static_cast<char>((y + seed * 11) & 0xFF));
            s.push_back(static_cast<char>((seed * 37) & 0xFF));
        }
        s.append(stride - static_cast<std::uint32_t>(width) * 3, '\0');
    }
    return s;
}

namespace {
// A top-down 1-bit BMP of black and white stripes, with a two-colour palette.
std::string makeOneBitBmp(int width, int height) {
    const std::uint32_t stride = ((static_cast<std::uint32_t>(width) + 31) / 32) * 4;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(height);
    std::string s = "BM";
    put32(s, 62 + pixelBytes);
    put32(s, 0);
    put32(s, 62);
    put32(s, 40);
    put32(s, static_cast<std::uint32_t>(width));
    put32(s, static_cast<std::uint32_t>(-height));
    put16(s, 1);
    put16(s, 1);
    put32(s, 0);
    put32(s, pixelBytes);
    put32(s, 2835);
    put32(s, 2835);
    put32(s, 2);
    put32(s, 0);
    put32(s, 0x000000);
    put32(s, 0xFFFFFF);
    s.append(pixelBytes, '\x0F');
    return s;
}

void set32(std::string& s, std::size_t at, std::uint32_t v) {
    std::string bytes;
    put32(bytes, v);
    s.replace(at, 4, bytes);
}
}  // namespace

std::vector<FrameCase> frameCases() {
    const std::string whole = makeBmp(180, 183, 7);
    std::string pastTheEnd = whole;
    set32(pastTheEnd, 10, static_cast<std::uint32_t>(whole.size()) - 100);
    std::string bigOffset = whole;
    set32(bigOffset, 10, 0x7FFFFFF0u);
    std::string lowestHeight = whole;
    set32(lowestHeight, 22, 0x80000000u);
    return {
        {"Bitmap24", whole, true, 180, 183},
        {"Bitmap1", makeOneBitBmp(301, 40), true, 301, 40},
        {"CutShort", whole.substr(0, whole.size() - 1), false},
        {"HeaderOnly", whole.substr(0, 54), false},
        {"PixelsPastTheEnd", pastTheEnd, false},
        {"OffsetPastTheEnd", bigOffset, false},
        {"LowestHeight", lowestHeight, false},
        // 12 MB of file, but 100 million pixels: 400 MB once decoded.
        {"Bitmap1TooManyPixels", makeOneBitBmp(10000, 10000), false},
        {"TextOnly", "BM and then some text that is no picture at all, long enough for a header", false},
    };
}

void writeGlobeFrames(const std::filesystem::path& appFolder) {
    const auto data = appFolder / "SKR20";
    for (const char* folder : {"earth", "moon", "PALAM", "BACK", "WEATHER"})
        std::filesystem::create_directories(data / folder);
    for (int n = 1; n <= 44; ++n)
        writeFile(data / "earth" / ("EarthMap_" + std::to_string(n) + ".bmp"),
                  makeBmp(180, 183, static_cast<std::uint32_t>(n)));
}

void writeMoonFrames(const std::filesystem::path& appFolder) {
    for (int n = 1; n <= 23; ++n)
        writeFile(appFolder / "SKR20" / "moon" / ("MoonMap_" + std::to_string(n) + ".bmp"),
                  makeBmp(111, 109, static_cast<std::uint32_t>(100 + n)));
}

void writeFile(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> treeOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        names.push_back(entry.path().lexically_relative(folder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
// Sets or (value null) removes an environment variable.
void putEnv(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value != nullptr ? value : "");
#else
    if (value != nullptr)
        ::setenv(name, value, 1);
    else
        ::unsetenv(name);
#endif
}
}  // namespace

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old;
    putEnv(name, value);
}

ScopedEnv::~ScopedEnv() { putEnv(m_name, m_old ? m_old->c_str() : nullptr); }

bool makeNamedPipe(const std::filesystem::path& file) {
#if defined(_WIN32)
    (void)file;
    return false;
#else
    return ::mkfifo(file.c_str(), 0600) == 0;
#endif
}

platform::FileSystem& localFiles() {
    static const std::unique_ptr<platform::FileSystem> files = platform::makeLocalFileSystem();
    return *files;
}

}  // namespace skyroll::test
