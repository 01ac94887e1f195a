#include "platform/download/DownloadLimits.h"

namespace skyroll::platform {

const char* weatherServiceUserAgent() { return "Skyroll/" SKYROLL_VERSION; }

}  // namespace skyroll::platform
