#include "platform/common/ProgramText.h"

namespace skyroll::platform {

std::string versionText() { return "Skyroll " SKYROLL_VERSION "\n"; }

std::string helpText(std::string_view systemNote) {
    return "Usage: skyroll [OPTION]...\n"
           "The Earth turning in a round window on the desktop, with the weather of the world.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n" +
           std::string(systemNote);
}

std::string usageErrorText(std::string_view argument, std::string_view systemNote) {
    return std::string("skyroll: ") + (argument.starts_with('-') ? "unknown option" : "unexpected argument") +
           " '" + std::string(argument) + "'\n\n" + helpText(systemNote);
}

const char* userAgent(Requester requester) {
    return requester == Requester::PageDownloader ? "Skyroll/" SKYROLL_VERSION_MAJOR_MINOR
                                                  : "Skyroll/" SKYROLL_VERSION;
}

}  // namespace skyroll::platform
