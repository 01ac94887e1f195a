#pragma once
// The reduction of one stored weather page to one city's weather value: a
// plain text search over the page's characters, no HTML parsing.

#include <string>
#include <string_view>

namespace skyroll::weather {

// What ExtractPageWeather writes for a city: the key (the city name, or empty
// when the city's text was not found) and the weather value.
struct CityWeather {
    std::u32string name;
    std::u32string value;
    friend bool operator==(const CityWeather&, const CityWeather&) = default;
};

// Removes blanks (U+0020) only from both ends; tabs and full-width blanks stay.
std::u32string TrimBlanks(std::u32string_view text);

// The text with every control character but TAB (below U+0020, and U+007F)
// turned into one blank.
std::u32string BlankControls(std::u32string_view text);

// The longest start of `text` whose code page 932 form fits in the 499 bytes
// that the reader of WEATHER.INI returns; a character is never split.
std::u32string CutToValueLength(std::u32string_view text);

// The weather value of a text found for a city: the first weather word rule
// that applies ("雪", "雨" with "晴れ", "晴れ", "雨", the cloudy word), "不明"
// for an empty text, else the text itself. The cloudy word is "曇り" on the
// Japan page and "くもり" on every world-weather page.
std::u32string ClassifyWeather(std::u32string_view text, bool japanPage);

// Reduces the decoded page `page` (stored as `file`) for `city`.
// World-weather pages: the line after the first line that contains the city,
// its control characters but TAB made blanks, trimmed. Lines end at CR or
// CR LF; a lone LF stays inside its line.
// "JAPAN.html": in its first line only, the 1,000 characters from the Tokyo
// heading (which must begin within the first 32,767 characters), in those the
// 100 characters from the icon cell, trimmed. A city whose text is not found
// gets an empty name and "不明". A value is at most 499 bytes in code page
// 932 (cut, then trimmed again), so that it reads back as it was written.
CityWeather ReducePage(std::u32string_view page, std::string_view file, std::u32string_view city);

}  // namespace skyroll::weather
