#include "platform/common/KeptDayNightArtist.h"

#include <stdexcept>

namespace skyroll::platform {

const globe::DayNightArtist* KeptDayNightArtist::get(const std::filesystem::path& dayMap,
                                                     const std::filesystem::path& nightMap, int ratio,
                                                     std::string& failure) {
    if (m_artist && dayMap == m_dayMap && nightMap == m_nightMap && ratio == m_ratio) return &*m_artist;
    m_artist.reset();
    const auto day = m_read(dayMap, failure);
    if (!day) return nullptr;
    const auto night = m_read(nightMap, failure);
    if (!night) return nullptr;
    try {
        m_artist.emplace(*day, *night, ratio);
    } catch (const std::invalid_argument& e) {
        failure = e.what();
        return nullptr;
    }
    m_dayMap = dayMap;
    m_nightMap = nightMap;
    m_ratio = ratio;
    return &*m_artist;
}

}  // namespace skyroll::platform
