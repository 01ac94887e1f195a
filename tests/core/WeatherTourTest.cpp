// The weather tour over the turning globe: when each city comes, what its
// display shows and guards, and weather values that name no picture.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "platform/Cp932.h"

#include "tests/support/Scenario.h"
#include "tests/weather/FixtureExpectations.h"
#include "weather/WeatherTables.h"

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;
using weather::WeatherTour;

// The headless platform checks and measures a GIF without decoding it.
std::string gif() { return std::string("GIF89a\x1e\x00\x1e\x00\x80\x00\x00;", 14); }

// The file name in a picture record, which names files with "/" in UTF-8.
std::string fileNameOf(const std::string& record) { return record.substr(record.rfind('/') + 1); }

fs::path weatherDir(const Scenario& s) { return s.app() / "SKR20" / "WEATHER"; }
fs::path weatherIni(const Scenario& s) { return s.app() / "SKR20" / "PALAM" / "WEATHER.INI"; }

void writeWeatherPictures(const Scenario& s) {
    for (const char* name : {"SUN.gif", "SUN_RAIN.gif", "RAIN.gif", "CLOUDY.gif", "SNOW.gif", "UNKNOWN.gif"})
        writeFile(weatherDir(s) / name, gif());
}

// WEATHER.INI as the refresh writes it: code page 932, CR LF.
void writeWeatherIni(const Scenario& s, const std::vector<std::string>& lines) {
    std::string text = "[WEATHER]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    writeFile(weatherIni(s), cp932::toCp932FromUtf8(text));
}

// One city on show, as the records tell it.
struct Display {
    int turn = 0;   // turn of the globe, the first turn after start-up is 1
    int frame = 0;  // globe frame on show
    std::string caption;
    std::string picture;             // file name of the picture made visible; empty: none
    std::string imageAt, captionAt;  // "left,top" in twips within the globe picture
    double start = 0, end = -1;      // caption shown, hidden
    double timerOff = -1, timerOn = -1, exitOff = -1, exitOn = -1;
    int framesDuring = 0;
};

struct Timeline {
    std::vector<Display> displays;
    int turn = 0, frame = 0;  // of the last frame shown
    int timerStops = 0;
};

Timeline timeline(const Scenario& s) {
    Timeline t;
    std::string imageLeft, imageTop, captionLeft, captionTop, caption, picture;
    double timerOff = -1;
    Display* open = nullptr;
    for (const headless::Record& r : s.sim->toolkit().records()) {
        const double at = static_cast<double>(r.timeUs) / 1e6;
        if (r.subject == "fSky_Roll.Picture1" && r.what == "picture") {
            const std::string name = fs::path(r.value).filename().string();
            t.frame = std::stoi(name.substr(9));  // EarthMap_<n>.bmp
            if (t.frame == 1) ++t.turn;
            if (open) ++open->framesDuring;
        } else if (r.subject == "fSky_Roll.Timer1" && r.what == "enabled") {
            if (r.value == "false" && t.turn > 0) ++t.timerStops, timerOff = at;  // after the refresh
            if (r.value == "true" && !t.displays.empty() && t.displays.back().timerOn < 0)
                t.displays.back().timerOn = at;
        } else if (r.subject == "fSky_Roll.mEnd" && r.what == "enabled" && open) {
            (r.value == "false" ? open->exitOff : open->exitOn) = at;
        } else if (r.subject == "fSky_Roll.Image1") {
            if (r.what == "left") imageLeft = r.value;
            if (r.what == "top") imageTop = r.value;
            if (r.what == "picture") picture = fileNameOf(r.value);
            if (r.what == "visible" && r.value == "true" && open) open->picture = picture;
        } else if (r.subject == "fSky_Roll.Label2") {
            if (r.what == "left") captionLeft = r.value;
            if (r.what == "top") captionTop = r.value;
            if (r.what == "caption") caption = r.value;
            if (r.what == "visible" && r.value == "true") {
                Display d;
                d.turn = t.turn, d.frame = t.frame, d.caption = caption, d.start = at, d.timerOff = timerOff;
                d.imageAt = imageLeft + "," + imageTop, d.captionAt = captionLeft + "," + captionTop;
                t.displays.push_back(d);
                open = &t.displays.back();
            }
            if (r.what == "visible" && r.value == "false" && open) open->end = at, open = nullptr;
        }
    }
    return t;
}

std::string at(int left, int top) { return std::to_string(left) + "," + std::to_string(top); }

TEST(WeatherTour, FirstCitiesFromStartUpReadTheirOwnKeys) {
    Scenario s;
    writeWeatherPictures(s);
    s.start();  // the refresh has rewritten WEATHER.INI; the tour reads it at each city
    // The captions as keys hold decoys: each city must read its own key.
    writeWeatherIni(
        s, {"サンパウロ=RAIN.gif", "ワシントン=SNOW.gif", "ワシントンD.C.=RAIN.gif", "ﾌﾞｴﾉｽｱｲﾚｽ=SNOW.gif",
            "ブエノスアイレス=CLOUDY.gif", "メキシコシティ=SNOW.gif", "メキシコシティー=SUN_RAIN.gif"});
    s.sim->runFor(9);
    const Timeline t = timeline(s);
    ASSERT_GE(t.displays.size(), 5u);

    // São Paulo on frame 8 of the third turn, every step in its order.
    const Display& saoPaulo = t.displays[0];
    EXPECT_EQ(saoPaulo.turn, 3);
    EXPECT_EQ(saoPaulo.frame, 8);
    std::vector<std::string> steps;
    bool turning = false;  // the refresh stops the timer too, before the first frame
    for (const headless::Record& r : s.sim->toolkit().records()) {
        turning = turning || (r.subject == "fSky_Roll.Picture1" && r.what == "picture");
        if (!turning) continue;
        const std::string value = r.what == "picture" ? fileNameOf(r.value) : r.value;
        const std::string step = r.subject.substr(r.subject.find('.') + 1) + " " + r.what + " " + value;
        if (steps.empty() && step != "Timer1 enabled false") continue;
        steps.push_back(step);
        if (step == "Timer1 enabled true") break;
    }
    EXPECT_EQ(steps,
              (std::vector<std::string>{
                  "Timer1 enabled false", "Image1 left 1110", "Image1 top 1200", "Label2 caption サンパウロ",
                  "Label2 left 720", "Label2 top 1620", "Image1 picture RAIN.gif", "Label2 visible true",
                  "Image1 visible true", "mEnd enabled false", "mEnd enabled true", "Image1 visible false",
                  "Label2 visible false", "Timer1 enabled true"}));
    EXPECT_DOUBLE_EQ(saoPaulo.end - saoPaulo.start, 1.5);

    // Then one city every second turn; captions and keys may differ.
    const std::vector<std::tuple<int, int, std::string, std::string>> expected{
        {5, 10, "ワシントン", "RAIN.gif"},
        {7, 10, "ﾌﾞｴﾉｽｱｲﾚｽ", "CLOUDY.gif"},
        {9, 11, "バンクーバー", "UNKNOWN.gif"},  // no entry: not known
        {11, 12, "メキシコシティ", "SUN_RAIN.gif"},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const Display& d = t.displays[i + 1];
        const auto& [turn, frame, caption, picture] = expected[i];
        EXPECT_EQ(std::tie(d.turn, d.frame, d.caption, d.picture), std::tie(turn, frame, caption, picture))
            << "city " << i + 2;
    }
}

// The pages of the test sites with the Japan site down (no page at all) and
// the Europe page empty, as a broken mirror serves them.
fs::path brokenSitePages(const Scenario& s) {
    const fs::path pages = s.dir.path() / "pages";
    fs::create_directories(pages);
    fs::copy(fs::path(SKYROLL_WEATHER_DATA) / "site" / "world", pages / "world", fs::copy_options::recursive);
    writeFile(pages / "world" / "wd011.html", "");
    return pages;
}

// What the tour shows for `key` after a refresh from those pages: the picture
// its weather names, else (not found, not a picture) the unknown-weather one.
std::string expectedPicture(std::string_view key) {
    static constexpr std::string_view kLost[] = {"東京", "ロンドン", "パリ"};  // site down, page empty
    if (std::find(std::begin(kLost), std::end(kLost), key) != std::end(kLost)) return "UNKNOWN.gif";
    for (std::string_view line : skyroll::testing::kFixtureWeatherLines) {
        if (!line.starts_with(std::string(key) + "=")) continue;
        const std::string value(line.substr(key.size() + 1));
        return value.ends_with(".gif") ? value : "UNKNOWN.gif";
    }
    return "UNKNOWN.gif";  // its name is not on its page
}

class WholeTour : public ::testing::TestWithParam<const char*> {};

TEST_P(WholeTour, RunsTwiceInTableOrderAndStartsAgain) {
    Scenario s;
    writeWeatherPictures(s);
    s.options.pagesFolder = brokenSitePages(s);
    s.sim = std::make_unique<trace::Simulation>(s.options);
    s.writeEarthIni(std::string("[SITES]\r\nSOURCE=pages\r\n[SPEED]\r\nROLLSPEED=") + GetParam() + "\r\n");
    s.start();
    // The file keeps a line with no name for each city whose weather was not found.
    const std::string file = cp932::toUtf8FromCp932(readFile(weatherIni(s)));
    std::size_t unnamed = 0;
    for (std::size_t at = 0; (at = file.find("\r\n=不明\r\n", at)) != std::string::npos; ++at) ++unnamed;
    EXPECT_EQ(unnamed, 6u) << file;  // Tokyo, London, Paris, and three whose names the pages lack

    // The first tour with the file of that refresh, the second without any
    // weather file: what is not known shows as not known, never as sunshine.
    const double turn = GetParam() == std::string("0") ? 0.044 : 4.4;
    s.sim->runFor(58 * turn + 28 * 1.5);
    fs::remove(weatherIni(s));
    s.sim->runFor(61 * turn + 29 * 1.5);
    const Timeline t = timeline(s);
    ASSERT_EQ(t.displays.size(), 57u);
    EXPECT_EQ(t.timerStops, 57) << "only a city stops the globe";

    // A city every second turn from the third on; after London (turn 57) one
    // turn passes, turn 59 resets the tour, and São Paulo comes in turn 61.
    std::set<std::string> pictures;
    for (std::size_t k = 0; k < t.displays.size(); ++k) {
        const Display& d = t.displays[k];
        const weather::TourEntry& entry = WeatherTour[k % 28];
        const int turn = 3 + 2 * static_cast<int>(k % 28) + 58 * static_cast<int>(k / 28);
        EXPECT_EQ(std::tie(d.turn, d.frame, d.caption), std::tie(turn, entry.frame, entry.caption)) << k;
        EXPECT_EQ(d.imageAt, at(entry.pictureLeft, entry.pictureTop)) << entry.caption;
        EXPECT_EQ(d.captionAt, at(entry.captionLeft, entry.captionTop)) << entry.caption;
        EXPECT_EQ(d.picture, k < 28 ? expectedPicture(entry.key) : "UNKNOWN.gif") << entry.caption;
        pictures.insert(d.picture);
        EXPECT_NEAR(d.end - d.start, 1.5, 1e-9);
        EXPECT_EQ(d.framesDuring, 0);
        EXPECT_EQ(std::tie(d.exitOff, d.exitOn, d.timerOn), std::tie(d.start, d.end, d.end));
    }
    EXPECT_EQ(pictures.size(), 6u) << "every picture was on show";
    EXPECT_EQ(t.displays[56].turn, 119);
    EXPECT_EQ(s.globe().TourCount, 1);
}

INSTANTIATE_TEST_SUITE_P(Speeds, WholeTour, ::testing::Values("0", "2"), [](const auto& info) {
    return std::string(info.param) == "0" ? "Maximum" : "Normal";
});

TEST(WeatherTour, ADisplayHoldsTheGlobeAndOutlastsTheMenu) {
    Scenario s;
    writeWeatherPictures(s);
    s.start();
    headless::HeadlessToolkit& tk = s.toolkit();
    auto chooseAt = [&](double time, const char* item) {
        tk.post(time, [&tk, item] { tk.chooseMenu("fSky_Roll", item); });
    };
    // Users act while the first and the third city are on show.
    int shown = 0;
    tk.setObserver([&](const headless::Record& r) {
        if (r.subject != "fSky_Roll.Label2" || r.what != "visible" || r.value != "true") return;
        ++shown;
        const double now = tk.now();
        if (shown == 1) {
            chooseAt(now + 0.3, "mEnd");
            chooseAt(now + 0.5, "mMIN");
            chooseAt(now + 1.0, "mTENKI");  // off
        } else if (shown == 3) {
            chooseAt(now + 0.5, "mTENKI");  // off
            chooseAt(now + 0.7, "mTENKI");  // on: the tour starts afresh at once
        }
    });

    // São Paulo: EXIT cannot be chosen, a slower speed waits for the display
    // to end, and the overlay switched off lets the display finish.
    s.sim->runFor(3.5);
    Timeline t = timeline(s);
    ASSERT_EQ(t.displays.size(), 1u);
    const Display& saoPaulo = t.displays[0];
    EXPECT_FALSE(tk.ended());
    EXPECT_EQ(s.sim->records("fSky_Roll.mEnd", "ignored").size(), 1u);
    EXPECT_EQ(std::tie(saoPaulo.exitOff, saoPaulo.exitOn), std::tie(saoPaulo.start, saoPaulo.end));
    EXPECT_DOUBLE_EQ(saoPaulo.end - saoPaulo.start, 1.5);
    EXPECT_EQ(saoPaulo.framesDuring, 0);
    EXPECT_EQ(s.form().control("Timer1").interval(), 1000);
    const auto frames = s.sim->records("fSky_Roll.Picture1", "picture");
    EXPECT_EQ(fs::path(frames.back().value).filename(), "EarthMap_9.bmp");
    EXPECT_DOUBLE_EQ(static_cast<double>(frames.back().timeUs) / 1e6, saoPaulo.end + 1.0);
    EXPECT_FALSE(s.checked("mTENKI"));
    EXPECT_EQ(s.globe().TourCount, 1);
    EXPECT_EQ(s.globe().RollCount, 0);
    EXPECT_TRUE(s.globe().CityShown[0]);

    // Off: the globe turns on without looking for a city.
    tk.chooseMenu("fSky_Roll", "mMAX");
    s.sim->runFor(1.0);
    EXPECT_EQ(timeline(s).displays.size(), 1u);
    EXPECT_EQ(s.globe().RollCount, 3);

    // On again: the turn in progress counts as the first, São Paulo comes
    // in the third; Washington follows, and switching off and on during its
    // display makes it the first city of a new tour.
    const int onInTurn = timeline(s).turn;
    tk.chooseMenu("fSky_Roll", "mTENKI");
    s.sim->runFor(0);
    EXPECT_EQ(s.globe().RollCount, 0);
    EXPECT_EQ(s.globe().TourCount, 0);
    EXPECT_TRUE(s.checked("mTENKI"));
    s.sim->runFor(7);
    t = timeline(s);
    ASSERT_GE(t.displays.size(), 5u);
    EXPECT_EQ(std::tie(t.displays[1].turn, t.displays[1].frame), std::make_tuple(onInTurn + 2, 8));
    const std::vector<std::string> order{t.displays[1].caption, t.displays[2].caption, t.displays[3].caption,
                                         t.displays[4].caption};
    EXPECT_EQ(order, (std::vector<std::string>{"サンパウロ", "ワシントン", "サンパウロ", "ﾌﾞｴﾉｽｱｲﾚｽ"}));
    EXPECT_EQ(t.displays[3].turn, t.displays[2].turn + 2);
    EXPECT_EQ(t.displays[3].frame, 8);
}

TEST(WeatherTour, ValuesThatNameNoPictureShowTheUnknownPicture) {
    Scenario s;
    writeWeatherPictures(s);
    s.start();
    // Decoys where an unchecked value would lead.
    writeFile(s.app() / "x.gif", gif());
    writeFile(s.app() / "SKR20" / "x.gif", gif());
#ifndef _WIN32  // names that only a POSIX file system can hold
    writeFile(weatherDir(s) / "..\\..\\x.gif", gif());
    writeFile(weatherDir(s) / "C:\\x.gif", gif());
    writeFile(weatherDir(s) / "SUN.gif\x1b", gif());
#endif
    writeFile(weatherDir(s) / "CLOUDY.gif", "GIF89a");  // broken
    writeFile(weatherDir(s) / fs::path(u8"雨.gif"), gif());
    const std::string longName = std::string(296, 'a') + ".gif";
    // In tour order: São Paulo, Washington, Buenos Aires, Vancouver, Mexico
    // City, New York, Honolulu, Auckland, Guam, Sydney, Tokyo.
    writeWeatherIni(s, {"サンパウロ=..\\..\\x.gif", "ワシントンD.C.=../../x.gif",
                        "ブエノスアイレス=/etc/passwd", "バンクーバー=C:\\x.gif", "メキシコシティー=不明",
                        "ニューヨーク=晴れ時々曇り", "ホノルル=" + longName, "オークランド=SUN.gif\x1b",
                        "グアム=CLOUDY.gif", "シドニー=雨.gif", "東京=NOWHERE.gif"});
    s.sim->runFor(10 * (1.5 + 2 * 0.044));
    Timeline t = timeline(s);
    ASSERT_EQ(t.displays.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        const Display& d = t.displays[i];
        EXPECT_EQ(d.caption, WeatherTour[i].caption);
        EXPECT_EQ(d.picture, i == 9 ? "雨.gif" : "UNKNOWN.gif") << d.caption;
        EXPECT_EQ(std::tie(d.exitOn, d.timerOn), std::tie(d.end, d.end)) << d.caption;
    }
    // Nothing outside the picture folder was even tried.
    for (const auto& r : s.sim->records("fSky_Roll.Image1")) {
        if (r.what != "picture" && r.what != "picture-failed") continue;
        const std::string name = r.value.substr(0, r.value.find(": "));
        const fs::path file(std::u8string(name.begin(), name.end()));
        EXPECT_EQ(file.parent_path(), weatherDir(s)) << r.value;
        EXPECT_EQ(file.filename().string().find("x.gif"), std::string::npos) << r.value;
        EXPECT_NE(file.filename(), "SUN.gif\x1b");
        EXPECT_NE(file.filename(), longName);
    }

    // Without even the unknown-weather picture the caption shows alone, and
    // the display still ends as every display does.
    fs::remove(weatherDir(s) / "UNKNOWN.gif");
    s.sim->runFor(1.5 + 2 * 0.044);
    t = timeline(s);
    ASSERT_EQ(t.displays.size(), 11u);
    const Display& tokyo = t.displays[10];
    EXPECT_EQ(tokyo.caption, "東京");
    EXPECT_EQ(tokyo.picture, "");
    EXPECT_FALSE(s.form().control("Image1").visible());
    EXPECT_EQ(std::tie(tokyo.exitOn, tokyo.timerOn), std::tie(tokyo.end, tokyo.end));
    EXPECT_EQ(s.globe().TourCount, 11);
    EXPECT_FALSE(s.toolkit().ended());
}

}  // namespace
}  // namespace skyroll::test
