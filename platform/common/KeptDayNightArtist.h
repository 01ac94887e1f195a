#pragma once
// The day-and-night artist of the maps and pixel ratio last asked for, made
// again only when they change. The maps are decoded by the toolkit's own
// picture reader, so no build needs a JPEG library of its own.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "globe/DayNightArtist.h"

namespace skyroll::platform {

class KeptDayNightArtist {
public:
    // Decodes a map; nothing, with the reason in `failure`, when it cannot.
    using ReadMap =
        std::function<std::optional<globe::Image>(const std::filesystem::path&, std::string& failure)>;
    explicit KeptDayNightArtist(ReadMap read) : m_read(std::move(read)) {}

    // The artist for these maps at `ratio`; null, with the reason in
    // `failure`, when a map is missing or damaged.
    const globe::DayNightArtist* get(const std::filesystem::path& dayMap,
                                     const std::filesystem::path& nightMap, int ratio, std::string& failure);
    // Frees the artist and its maps.
    void forget() { m_artist.reset(); }

private:
    ReadMap m_read;
    std::optional<globe::DayNightArtist> m_artist;
    std::filesystem::path m_dayMap, m_nightMap;
    int m_ratio = 0;
};

}  // namespace skyroll::platform
