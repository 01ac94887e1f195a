// The live weather asked again while the program runs: on its virtual clock,
// over three periods against a slow service, the globe and the tour go on
// while a request is in flight, a period whose folder is busy or whose
// answer fails changes nothing, and a good answer replaces the weather file.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>
#include <set>
#include <utility>

#include "platform/Cp932.h"
#include "platform/FileLock.h"
#include "platform/StopRequest.h"
#include "settings/IniPalam.h"
#include "tests/support/ForwardingFiles.h"
#include "tests/support/Scenario.h"
#include "tests/weather/LiveFixture.h"
#include "weather/WeatherTables.h"

namespace skyroll::test {
namespace {

namespace fs = std::filesystem;

std::string gif() { return std::string("GIF89a\x1e\x00\x1e\x00\x80\x00\x00;", 14); }

struct Display {
    double start = 0;
    std::string caption, picture;
};

std::vector<Display> displays(const Scenario& s) {
    std::vector<Display> found;
    std::string caption, picture;
    for (const headless::Record& r : s.sim->toolkit().records()) {
        if (r.subject == "fSky_Roll.Image1" && r.what == "picture")
            picture = fs::path(r.value).filename().string();
        if (r.subject == "fSky_Roll.Label2" && r.what == "caption") caption = r.value;
        if (r.subject == "fSky_Roll.Label2" && r.what == "visible" && r.value == "true")
            found.push_back({static_cast<double>(r.timeUs) / 1e6, caption, picture});
    }
    return found;
}

std::vector<double> frameTimes(const Scenario& s) {
    std::vector<double> times;
    for (const headless::Record& r : s.sim->records("fSky_Roll.Picture1", "picture"))
        times.push_back(static_cast<double>(r.timeUs) / 1e6);
    return times;
}

TEST(PeriodicRefresh, TheGlobeTurnsOnAndTheFileChangesOnlyAsAWhole) {
    Scenario s;
    for (const char* name : {"SUN.gif", "SUN_RAIN.gif", "RAIN.gif", "CLOUDY.gif", "SNOW.gif", "UNKNOWN.gif"})
        writeFile(s.app() / "SKR20" / "WEATHER" / name, gif());
    s.writeEarthIni("[SITES]\r\nREFRESH=10\r\n[SPEED]\r\nROLLSPEED=2\r\n");  // 100 ms a frame
    const fs::path weatherIni = s.app() / "SKR20" / "PALAM" / "WEATHER.INI";
    const fs::path recorded = SKYROLL_WEATHER_DATA "/live/forecast.json";
    const fs::path snowing = s.dir.path() / "snowing.json";
    writeFile(snowing, std::regex_replace(readFile(recorded), std::regex("\"weather_code\":[0-9]+"),
                                          "\"weather_code\":71"));
    headless::HeadlessWeatherService& service = s.sim->weatherService();
    headless::HeadlessToolkit& tk = s.toolkit();
    service.setAnswerFile(recorded);
    s.start();
    ASSERT_EQ(readFile(weatherIni), testing::liveWeatherIni());
    EXPECT_TRUE(s.form().control("Timer2").enabled());
    EXPECT_EQ(s.form().control("Timer2").interval(), 600'000);
    // The answer the start-up kept is young by the wall clock, which the
    // virtual one leaves behind: without it, every period asks.
    fs::remove(s.options.systemFolder / "live-weather.json");
    const std::size_t startRecords = tk.records().size();

    // Every request from now on takes 12 s, more than the 10.3 s from one
    // city to the next, with the event loop running meanwhile.
    struct Request {
        double from, to;
        std::string fileAtAnswer;
    };
    std::vector<Request> requests;
    service.answerAfter(12, [&](double seconds) {
        const double from = tk.now();
        tk.runUntil(from + seconds);
        requests.push_back({from, tk.now(), readFile(weatherIni)});
    });

    // First period: another program holds the page folder; nothing is asked.
    {
        const auto other = platform::lockFile(s.options.systemFolder / "WORLDTEMP.lock", {});
        ASSERT_TRUE(other);
        s.sim->runFor(605);
    }
    EXPECT_TRUE(requests.empty());

    // Second period: the service fails after 12 s; the file stays as it was.
    service.setAnswerFile({});
    s.sim->runFor(600);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(readFile(weatherIni), testing::liveWeatherIni());
    EXPECT_FALSE(fs::exists(weatherIni.string() + ".new"));

    // Third period: it comes due while the settings dialog is open, and waits
    // for it to close; every city snows; the file is replaced when the answer
    // is in.
    service.setAnswerFile(snowing);
    tk.post(1799, [&] { tk.chooseMenu("fSky_Roll", "mSETTING"); });
    tk.post(1803, [&] { tk.pressButton("fSetting", "Command1"); });
    s.sim->runFor(600);
    ASSERT_EQ(requests.size(), 2u);
    std::string snow = "[WEATHER]\r\n";
    for (const weather::City& city : weather::kCities) snow += std::string(city.name) + "=SNOW.gif\r\n";
    EXPECT_EQ(requests[1].fileAtAnswer, testing::liveWeatherIni()) << "still the old file while in flight";
    EXPECT_EQ(readFile(weatherIni), cp932::toCp932FromUtf8(snow));
    s.sim->runFor(30);

    // Each period came on time, or a moment after a wait of another handler.
    const std::vector<Display> shown = displays(s);
    EXPECT_DOUBLE_EQ(requests[0].from, 1200);
    const auto shownAgain = s.sim->records("fSky_Roll", "visible");
    ASSERT_FALSE(shownAgain.empty());
    EXPECT_DOUBLE_EQ(static_cast<double>(shownAgain.back().timeUs) / 1e6, 1803) << "the dialog was not held";
    EXPECT_GE(requests[1].from, 1803);
    EXPECT_LE(requests[1].from, 1803.25);
    for (const Request& request : requests)
        for (const Display& d : shown) EXPECT_FALSE(d.start < request.from && request.from < d.start + 1.5);

    // While a request was in flight the globe turned every 100 ms and the
    // tour went on: a frame gap is 0.1 s, or 1.6 s over a city on show.
    const std::vector<double> frames = frameTimes(s);
    for (const Request& request : requests) {
        int framesDuring = 0, citiesDuring = 0;
        for (std::size_t i = 1; i < frames.size(); ++i) {
            if (frames[i - 1] < request.from || frames[i] > request.to) continue;
            ++framesDuring;
            const double gap = frames[i] - frames[i - 1];
            EXPECT_TRUE(std::abs(gap - 0.1) < 1e-6 || std::abs(gap - 1.6) < 1e-6)
                << gap << " at " << frames[i];
        }
        for (const Display& d : shown) citiesDuring += d.start > request.from && d.start < request.to;
        EXPECT_GE(framesDuring, 90);
        EXPECT_GE(citiesDuring, 1);
    }

    // Each city shows the weather of the file in force when its display began.
    const fs::path kept = s.dir.path() / "kept.ini";
    writeFile(kept, testing::liveWeatherIni());
    int afterReplacement = 0;
    for (const Display& d : shown) {
        const bool replaced = d.start >= requests[1].to;
        afterReplacement += replaced;
        std::string expected = "SNOW.gif";
        if (!replaced) {
            for (const weather::TourEntry& entry : weather::WeatherTour) {
                if (entry.caption != d.caption) continue;
                settings::ReadWeatherIni(test::localFiles(), std::string(entry.key), expected, kept);
                if (!expected.ends_with(".gif")) expected = "UNKNOWN.gif";
            }
        }
        EXPECT_EQ(d.picture, expected) << d.caption << " at " << d.start;
    }
    EXPECT_GE(afterReplacement, 1);

    // A terminating signal while a good answer is in flight: the file stays.
    const std::string snowFile = readFile(weatherIni);
    fs::remove(s.options.systemFolder / "live-weather.json");
    service.setAnswerFile(recorded);
    service.answerAfter(12, [&](double seconds) {
        tk.runUntil(tk.now() + seconds);
        platform::requestStop();
    });
    s.sim->runFor(600);
    platform::clearStopRequest();
    EXPECT_EQ(service.addresses().size(), 4u);
    EXPECT_EQ(readFile(weatherIni), snowFile);

    // Silent: no caption of the refresh, no menu greyed out but EXIT over a city.
    for (std::size_t i = startRecords; i < tk.records().size(); ++i) {
        const headless::Record& r = tk.records()[i];
        EXPECT_NE(r.subject, "fSky_Roll.Label4");
        EXPECT_NE(r.subject, "fSky_Roll.Label3");
        EXPECT_NE(r.subject, "fSky_Roll.mSET");
        EXPECT_NE(r.subject, "fSky_Roll.mSPEED");
    }
}

// Every file the program touches goes through the file service it is given:
// over a start with its refresh, a settings write and a periodic refresh,
// each file changed on the disk was named to the service, and so was each
// file the program reads.
TEST(PeriodicRefresh, EveryFileGoesThroughTheFileService) {
    struct Recording final : ForwardingFiles {
        using ForwardingFiles::ForwardingFiles;
        void seen(std::string_view operation, const fs::path& path) override {
            named[path.lexically_relative(root).generic_string()].insert(std::string(operation));
        }
        fs::path root;
        std::map<std::string, std::set<std::string>> named;
    };
    const auto onDisk = [](const fs::path& root) {
        std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> found;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                found[entry.path().lexically_relative(root).generic_string()] = {entry.file_size(),
                                                                                 entry.last_write_time()};
        return found;
    };
    Scenario s;
    s.writeEarthIni("[SITES]\r\nREFRESH=10\r\n");
    Recording files(platform::makeLocalFileSystem(s.options.systemFolder, s.options.systemFolder / "state"));
    files.root = s.dir.path();
    s.options.files = &files;
    s.sim = std::make_unique<trace::Simulation>(s.options);
    s.sim->weatherService().setAnswerFile(SKYROLL_WEATHER_DATA "/live/forecast.json");
    const auto before = onDisk(s.dir.path());

    s.start();
    headless::HeadlessToolkit& tk = s.toolkit();
    tk.post(tk.now() + 5, [&] { tk.chooseMenu("fSky_Roll", "mSETTING"); });
    tk.post(tk.now() + 6, [&] { tk.pressButton("fSetting", "Command1"); });
    s.sim->runFor(10);
    // Kept young by the wall clock: without it, the period asks again.
    fs::remove(s.options.systemFolder / "live-weather.json");
    s.sim->runFor(600);
    EXPECT_EQ(s.sim->weatherService().addresses().size(), 2u);
    const auto after = onDisk(s.dir.path());
    s.sim.reset();

    for (const auto& [name, state] : after) {
        const auto old = before.find(name);
        const bool changed = old == before.end() || old->second != state;
        EXPECT_TRUE(!changed || files.named.count(name)) << name;
    }
    const std::string palam = "app/SKR20/PALAM/", system = "system/";
    std::vector<std::pair<std::string, std::string>> expected = {
        {palam + "EARTH.INI", "readProfileString"},
        {palam + "EARTH.INI", "writeProfileStrings"},
        {palam + "WEATHER.INI.new", "writeFile"},
        {palam + "WEATHER.INI.new", "appendFile"},
        {palam + "WEATHER.INI", "replaceWithFile"},
        {palam + "WEATHER.INI", "readProfileString"},
        {system + "WORLDTEMP.lock", "lock"},
        {system + "WORLDTEMP/DUMMY.html", "writeFile"},
        {system + "live-weather.json", "readFile"},
        {system + "live-weather.json.new", "writeFile"},
        {system + "live-weather.json", "replaceWithFile"},
    };
    for (const weather::Region& region : weather::kRegions) {
        expected.emplace_back(system + "WORLDTEMP/" + std::string(region.file), "writeFile");
        expected.emplace_back(system + "WORLDTEMP/" + std::string(region.file), "readFile");
    }
    for (const auto& [name, operation] : expected)
        EXPECT_TRUE(files.named[name].count(operation)) << name << " " << operation;
}

}  // namespace
}  // namespace skyroll::test
