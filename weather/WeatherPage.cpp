#include "weather/WeatherPage.h"

#include <cstddef>
#include <optional>

#include "platform/Cp932.h"
#include "weather/PageMarkers.h"
#include "weather/WeatherTables.h"

namespace skyroll::weather {
namespace {

constexpr std::size_t kTokyoPieceLength = 1000;
constexpr std::size_t kIconPieceLength = 100;
// The original kept the heading's position in a 16-bit integer.
constexpr std::size_t kLastHeadingPosition = 32767;  // 1-based

// The longest value the reader of WEATHER.INI returns (a 500-byte buffer).
constexpr std::size_t kMaxValueBytes = 499;

bool contains(std::u32string_view text, std::u32string_view word) {
    return text.find(word) != std::u32string_view::npos;
}

// Reads a page line by line the way the original's line input did: a line
// ends at CR or CR LF, the terminator is not part of it, and the last line
// needs none (so a page ending in CR LF has no empty line after it).
class LineReader {
public:
    explicit LineReader(std::u32string_view text) : m_text(text) {}

    bool next(std::u32string_view& line) {
        if (m_pos >= m_text.size()) return false;
        const std::size_t cr = m_text.find(U'\r', m_pos);
        if (cr == std::u32string_view::npos) {
            line = m_text.substr(m_pos);
            m_pos = m_text.size();
            return true;
        }
        line = m_text.substr(m_pos, cr - m_pos);
        m_pos = cr + 1;
        if (m_pos < m_text.size() && m_text[m_pos] == U'\n') ++m_pos;
        return true;
    }

private:
    std::u32string_view m_text;
    std::size_t m_pos = 0;
};

// The line after the first line that contains `city`; std::nullopt when the
// city is absent or on the last line.
std::optional<std::u32string_view> lineAfterCity(std::u32string_view page, std::u32string_view city) {
    LineReader reader(page);
    std::u32string_view line;
    while (reader.next(line)) {
        if (contains(line, city)) {
            if (reader.next(line)) return line;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The icon piece of the Tokyo forecast; std::nullopt when the heading is not
// in the first line, begins too far into it, or has no icon cell after it.
std::optional<std::u32string_view> tokyoIconPiece(std::u32string_view page) {
    std::u32string_view firstLine;
    LineReader reader(page);
    if (!reader.next(firstLine)) return std::nullopt;
    const std::size_t heading = firstLine.find(kTokyoHeading);
    if (heading == std::u32string_view::npos || heading + 1 > kLastHeadingPosition) return std::nullopt;
    const std::u32string_view piece = firstLine.substr(heading, kTokyoPieceLength);
    const std::size_t icon = piece.find(kIconCell);
    if (icon == std::u32string_view::npos) return std::nullopt;
    return piece.substr(icon, kIconPieceLength);
}

}  // namespace

std::u32string TrimBlanks(std::u32string_view text) {
    const std::size_t first = text.find_first_not_of(U' ');
    if (first == std::u32string_view::npos) return {};
    return std::u32string(text.substr(first, text.find_last_not_of(U' ') - first + 1));
}

std::u32string BlankControls(std::u32string_view text) {
    std::u32string result(text);
    for (char32_t& c : result) {
        if ((c < U' ' && c != U'\t') || c == 0x7F) c = U' ';
    }
    return result;
}

std::u32string CutToValueLength(std::u32string_view text) {
    // Every character takes at least one byte: only the first
    // kMaxValueBytes characters can be kept.
    text = text.substr(0, kMaxValueBytes);
    std::size_t bytes = 0;
    std::size_t kept = 0;
    for (; kept < text.size(); ++kept) {
        const std::size_t size = cp932::encode(text.substr(kept, 1)).size();
        if (bytes + size > kMaxValueBytes) break;
        bytes += size;
    }
    return std::u32string(text.substr(0, kept));
}

std::u32string ClassifyWeather(std::u32string_view text, bool japanPage) {
    if (contains(text, U"雪")) return U"SNOW.gif";
    if (contains(text, U"雨") && contains(text, U"晴れ")) return U"SUN_RAIN.gif";
    if (contains(text, U"晴れ")) return U"SUN.gif";
    if (contains(text, U"雨")) return U"RAIN.gif";
    if (contains(text, japanPage ? U"曇り" : U"くもり")) return U"CLOUDY.gif";
    if (text.empty()) return std::u32string(kUnknown);
    return std::u32string(text);
}

CityWeather ReducePage(std::u32string_view page, std::string_view file, std::u32string_view city) {
    const bool japanPage = file == kJapanPage;
    const std::optional<std::u32string_view> found =
        japanPage ? tokyoIconPiece(page) : lineAfterCity(page, city);
    if (!found) return {{}, std::u32string(kUnknown)};
    // The value becomes one line of a profile file: a line end or another
    // control character in it would start lines of its own.
    const std::u32string text = TrimBlanks(BlankControls(*found));
    return {std::u32string(city), TrimBlanks(CutToValueLength(ClassifyWeather(text, japanPage)))};
}

}  // namespace skyroll::weather
