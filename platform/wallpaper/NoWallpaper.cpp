// No wallpaper service: the desktop is never read nor changed.

#include "platform/wallpaper/WallpaperServices.h"

namespace skyroll::wallpaper {
namespace {

class NoWallpaper final : public platform::WallpaperService {
public:
    std::string_view name() const override { return "none"; }
    std::optional<platform::WallpaperState> read() override { return std::nullopt; }
    bool apply(const std::string&, const std::function<bool(const std::string&)>&) override { return false; }
    bool restore(const std::string&) override { return false; }
};

}  // namespace

std::unique_ptr<platform::WallpaperService> makeNoWallpaper() { return std::make_unique<NoWallpaper>(); }

}  // namespace skyroll::wallpaper
