#include "programs/AssembleServices.h"

namespace skyroll::programs {

AssembledServices::AssembledServices(const ServicePieces& pieces)
    : m_desktop(pieces.wallpaper, pieces.files.stateFolder(), pieces.wallpaperLog),
      m_services{pieces.toolkit, pieces.files, m_desktop, pieces.downloader, pieces.weather, pieces.artist} {}

}  // namespace skyroll::programs
