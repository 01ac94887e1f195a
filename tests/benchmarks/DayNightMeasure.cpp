// The globe by day and night in the Qt toolkit, measured: how long the Qt
// frame artist takes for the 44 frames at pixel ratio 1 and 2 (the first draw
// with decoding and preparing the maps, then a redraw), and how evenly the
// globe turns at its fastest speed (a 1 ms timer, each tick loading the next
// frame as the program does) while a draw runs on the worker, against the
// same without a draw. Runs on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise.
// Usage: skyroll_daynight_measure [SKR20 folder]  (default: the one beside it)

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "forms/Layouts.h"
#include "platform/qt/QtFrameArtist.h"
#include "platform/qt/QtToolkit.h"

namespace {

namespace fs = std::filesystem;
using skyroll::platform::DrawnFrames;

// Turns the globe at 1 ms a frame from `folder`, noting when each tick came.
class Turner final : public skyroll::platform::FormEvents {
public:
    explicit Turner(skyroll::qt::QtToolkit& toolkit) : m_toolkit(toolkit) {}
    void attach(skyroll::platform::Form& form) { m_form = &form; }
    void timer(std::string_view) override {
        ticks.push_back(m_toolkit.monotonicSeconds());
        m_frame = m_frame % 44 + 1;
        m_form->control("Picture1").loadPicture(folder / ("EarthMap_" + std::to_string(m_frame) + ".bmp"));
    }
    fs::path folder;
    std::vector<double> ticks;

private:
    skyroll::qt::QtToolkit& m_toolkit;
    skyroll::platform::Form* m_form = nullptr;
    int m_frame = 0;
};

struct Gaps {
    std::size_t ticks = 0;
    double medianMs = 0, longestMs = 0;
};

Gaps gapsOf(const std::vector<double>& ticks) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i) gaps.push_back((ticks[i] - ticks[i - 1]) * 1000);
    if (gaps.empty()) return {};
    std::sort(gaps.begin(), gaps.end());
    return {ticks.size(), gaps[gaps.size() / 2], gaps.back()};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const fs::path data = argc > 1 ? fs::path(argv[1])
                                   : fs::path(QCoreApplication::applicationDirPath().toStdString()) / "SKR20";
    const fs::path day = data / "maps" / "earth.jpg", night = data / "maps" / "night.jpg";
    if (!fs::exists(day) || !fs::exists(night)) {
        std::fprintf(stderr, "no maps in %s\n", (data / "maps").string().c_str());
        return 1;
    }

    skyroll::qt::QtToolkit toolkit;
    Turner turner(toolkit);
    turner.folder = data / "earth";
    const auto form = toolkit.createForm(skyroll::app::SkyRollLayout(), turner);
    turner.attach(*form);
    form->show();
    int ratio = 1;
    const auto artist = skyroll::qt::makeFrameArtist(toolkit, [&] { return qreal(ratio); });
    const std::int64_t moment = 1782043200;  // 2026-06-21 12:00 UTC

    // One draw, the event loop running meanwhile; its seconds.
    const auto draw = [&](std::int64_t when) {
        std::optional<DrawnFrames> drawn;
        const double start = toolkit.monotonicSeconds();
        artist->draw(day, night, when, [&](const DrawnFrames& d) { drawn = d; });
        while (!drawn) toolkit.runUntil(toolkit.monotonicSeconds() + 0.001);
        if (!drawn->failure.empty()) {
            std::fprintf(stderr, "draw failed: %s\n", drawn->failure.c_str());
            std::exit(1);
        }
        turner.folder = drawn->folder;
        return toolkit.monotonicSeconds() - start;
    };
    const auto report = [](const char* what, const Gaps& g) {
        std::printf("%-34s %6zu ticks  median gap %6.2f ms  longest gap %7.2f ms\n", what, g.ticks,
                    g.medianMs, g.longestMs);
    };

    std::printf(
        "screen ratio %.2f\n44 frames through the Qt frame artist (worker thread, event loop idle):\n",
        application.devicePixelRatio());
    for (const int r : {1, 2}) {
        ratio = r;
        const double first = draw(moment);
        std::vector<double> again;
        for (int i = 1; i <= 3; ++i) again.push_back(draw(moment + i * 600));
        std::sort(again.begin(), again.end());
        std::printf("  ratio %d: first draw %7.1f ms (maps decoded and prepared), redraw median %7.1f ms\n",
                    r, first * 1000, again[1] * 1000);
    }

    std::printf("The globe at 1 ms a frame:\n");
    skyroll::platform::Control& timer = form->control("Timer1");
    timer.setInterval(1);
    timer.setEnabled(true);
    for (const int r : {1, 2}) {
        ratio = r;
        draw(moment);  // the maps prepared for this ratio, the frames from memory
        turner.ticks.clear();
        toolkit.runUntil(toolkit.monotonicSeconds() + 2);
        report(r == 1 ? "  no draw (ratio 1 frames)" : "  no draw (ratio 2 frames)", gapsOf(turner.ticks));
        turner.ticks.clear();
        const double took = draw(moment + 3600);
        const Gaps during = gapsOf(turner.ticks);
        report(r == 1 ? "  while drawing at ratio 1" : "  while drawing at ratio 2", during);
        std::printf("%-34s %6.1f ms\n", "    (the draw took)", took * 1000);
    }
    timer.setEnabled(false);
    return 0;
}
