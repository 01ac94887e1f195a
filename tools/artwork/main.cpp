// skyroll-artwork: writes every picture the program needs.
//
//   skyroll-artwork OUTPUT [DAY_MAP] [--assets DIR] [--evidence DIR [--night NIGHT_MAP]]
//   skyroll-artwork --fit [name value]...
//
// OUTPUT receives the data folder SKR20 (globe and moon frames, weather
// pictures, space wallpaper); the window pictures go to DIR of --assets
// (OUTPUT/assets by default). DAY_MAP is the equirectangular day map, by
// default the one of Debian's xplanet-images. --evidence writes the contact
// sheet of the frames and the warped map beside the original as PNG, and the
// contact sheet of the frames the program draws with day and night (for the
// June solstice of 2026 at noon UTC, from NIGHT_MAP, by default
// xplanet-images' night.jpg). --fit
// redoes the fit of view and warp and prints it as source for globe/FittedGlobe.cpp.
// The table of how far each tour city stands from its weather picture is
// printed every time.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "globe/DayNightArtist.h"
#include "tools/artwork/DayMap.h"
#include "tools/artwork/EarthArt.h"
#include "tools/artwork/GlobeFit.h"
#include "tools/artwork/GlobeLibrary.h"
#include "tools/artwork/MoonArt.h"
#include "tools/artwork/PictureWriters.h"
#include "tools/artwork/SpaceArt.h"
#include "tools/artwork/WeatherArt.h"

namespace fs = std::filesystem;
using namespace skyroll::artwork;

namespace {

constexpr const char* kDefaultDayMap = "/usr/share/xplanet/images/earth.jpg";
constexpr const char* kDefaultNightMap = "/usr/share/xplanet/images/night.jpg";
constexpr std::int64_t kEvidenceMoment = 1782043200;  // 2026-06-21 12:00 UTC
constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

int runFit(const std::vector<std::string>& args) {
    FitSettings settings;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::string& name = args[i];
        const double value = std::stod(args[i + 1]);
        if (name == "robust")
            settings.robustScalePx = value;
        else if (name == "outlier")
            settings.outlierScalePx = value;
        else if (name == "cap")
            settings.capPx = value;
        else if (name == "narrow")
            settings.narrowRidge = value;
        else if (name == "wide")
            settings.wideRidge = value;
        else if (name == "limit")
            settings.displacementLimit = value;
        else if (name == "minarea")
            settings.minAreaRatio = value;
        else if (name == "maxarea")
            settings.maxAreaRatio = value;
        else if (name == "iter")
            settings.iterations = static_cast<int>(value);
        else
            throw std::invalid_argument("unknown fit setting " + name);
    }
    const FitResult fit = fitGlobe(settings, std::cerr);
    printErrorTable(std::cout, cityErrors(fit.view, fit.warp));
    const WarpMeasure m = measureWarp(fit.warp);
    std::cout << "largest move " << m.maxDisplacementDegrees << " degrees, area ratios " << m.minAreaRatio
              << " .. " << m.maxAreaRatio << '\n';
    printFittedSource(std::cout, fit);
    return 0;
}

skyroll::globe::Image toImage(const Raster& raster) {
    skyroll::globe::Image image{raster.width(), raster.height(), {}};
    for (int y = 0; y < raster.height(); ++y)
        for (int x = 0; x < raster.width(); ++x) {
            const Rgba c = raster.at(x, y);
            image.argb.push_back(0xFF000000u | std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b);
        }
    return image;
}

Raster toRaster(const skyroll::globe::Image& image) {
    Raster raster(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t c = image.argb[static_cast<std::size_t>(y) * image.width + x];
            raster.at(x, y) = {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8),
                               static_cast<std::uint8_t>(c), 255};
        }
    return raster;
}

void generate(const fs::path& output, const fs::path& dayMapFile, const fs::path& assets,
              const fs::path& evidence, const fs::path& nightMapFile) {
    const DayMap dayMap = DayMap::load(dayMapFile);
    const GlobeView view = fittedView();
    const GlobeWarp warp = fittedWarp();

    const fs::path data = output / "SKR20";
    for (const char* folder : {"earth", "moon", "PALAM", "BACK", "WEATHER"})
        fs::create_directories(data / folder);
    fs::create_directories(assets);

    // Every picture a window shows is also drawn at twice the size, as
    // NAME@2x beside NAME, for screens of more than one pixel to the point.
    const auto at2x = [](const std::string& stem, const char* extension, int scale) {
        return stem + (scale == 2 ? "@2x" : "") + extension;
    };
    const DayMap warpedMap = dayMap.warped(warp);
    std::vector<Raster> frames;  // at the first size, for the evidence
    for (const int scale : {1, 2}) {
        const std::vector<Raster> globes = renderGlobeFrames(warpedMap, view, scale);
        if (scale == 1) frames = globes;
        for (std::size_t i = 0; i < globes.size(); ++i)
            writeBmp24(data / "earth" / at2x("EarthMap_" + std::to_string(i + 1), ".bmp", scale), globes[i]);

        const std::vector<Raster> moons = renderMoonFrames(scale);
        for (std::size_t i = 0; i < moons.size(); ++i)
            writeBmp24(data / "moon" / at2x("MoonMap_" + std::to_string(i + 1), ".bmp", scale), moons[i]);

        const std::vector<WeatherPicture> weather = weatherPictures(scale);
        for (const WeatherPicture& picture : weather) {
            const fs::path file(picture.file);
            writeWeatherGif(data / "WEATHER" / at2x(file.stem().string(), ".gif", scale), picture);
        }

        // The pictures that belong to the windows.
        writeJpeg(assets / at2x("starfield", ".jpg", scale), renderStarField(scale), 90);
        writeIco(assets / at2x("globe", ".ico", scale), renderGlobeIcon(dayMap.halved(), 32 * scale));
        // Asia and Australia face the viewer on frame 28.
        writeBmp24(assets / at2x("globe_creation", ".bmp", scale), globes[27]);
        writeWeatherGif(assets / at2x("sun", ".gif", scale), weather.front());
        writeBmp24(assets / at2x("moon_full", ".bmp", scale), renderFullMoon(scale));
    }
    writeBmp24(data / "BACK" / fs::path(u8"宇宙.bmp"), renderSpaceWallpaper(dayMap));
    // The dialog's palette, never shown itself: once is enough.
    writePaletteStarField(assets / "palette_starfield.bmp");
    // The program's icon for the desktop's menus, at the sizes icon themes keep.
    for (const int size : kDesktopIconSizes) {
        const fs::path folder = assets / "icons" / (std::to_string(size) + "x" + std::to_string(size));
        fs::create_directories(folder);
        writePng(folder / "skyroll.png", renderGlobeIcon(size > 64 ? dayMap : dayMap.halved(), size), true);
    }

    printErrorTable(std::cout, cityErrors(view, warp));
    if (!evidence.empty()) {
        fs::create_directories(evidence);
        writePng(evidence / "contact_sheet.png", contactSheet(frames, view, warp));
        writePng(evidence / "warped_map.png", warpEvidence(dayMap, warpedMap, warp));
        const skyroll::globe::DayNightArtist artist(
            toImage(dayMap.toRaster()), toImage(DayMap::load(nightMapFile, "night map").toRaster()), 1);
        std::vector<Raster> dayNight;
        for (int n = 1; n <= kFrameCount; ++n) dayNight.push_back(toRaster(artist.frame(n, kEvidenceMoment)));
        writePng(evidence / "day_night_sheet.png", contactSheet(dayNight, view, warp));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "--fit") return runFit({args.begin() + 1, args.end()});
        std::vector<std::string> positional;
        fs::path assets, evidence, nightMap = kDefaultNightMap;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if ((args[i] == "--assets" || args[i] == "--evidence" || args[i] == "--night") &&
                i + 1 < args.size()) {
                fs::path& target = args[i] == "--assets"     ? assets
                                   : args[i] == "--evidence" ? evidence
                                                             : nightMap;
                target = args[++i];
            } else if (args[i].starts_with("--"))
                throw std::invalid_argument("unknown option " + args[i]);
            else
                positional.push_back(args[i]);
        }
        if (positional.empty() || positional.size() > 2) {
            std::cerr << "usage: skyroll-artwork OUTPUT [DAY_MAP] [--assets DIR] [--evidence DIR [--night "
                         "NIGHT_MAP]]\n"
                         "       skyroll-artwork --fit [name value]...\n";
            return 2;
        }
        const fs::path output = positional[0];
        generate(output, positional.size() > 1 ? fs::path(positional[1]) : fs::path(kDefaultDayMap),
                 assets.empty() ? output / "assets" : assets, evidence, nightMap);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "skyroll-artwork: " << e.what() << '\n';
        return 1;
    }
}
