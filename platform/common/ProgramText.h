#pragma once
// What the program says of itself, made from the version the build gives
// (the project's version): the answers to --help and --version, the answer
// to an argument it does not understand, and the User-Agent of its web
// requests. Each desktop program adds only what differs on its system.

#include <string>
#include <string_view>

namespace skyroll::platform {

// "Skyroll <version>" and a line end: the answer to --version.
std::string versionText();

// The answer to --help: the usage and the options, then `systemNote`, the
// paragraphs of this system (the toolkit's own options, where the files are).
std::string helpText(std::string_view systemNote);

// The answer to an argument that is not understood, for standard error:
// "skyroll: unknown option '<argument>'" ("unexpected argument" when it does
// not start with "-"), a blank line, then helpText(systemNote).
std::string usageErrorText(std::string_view argument, std::string_view systemNote);

// Who sends a web request.
enum class Requester {
    PageDownloader,  // "Skyroll/<major>.<minor>", the name the page sites have always seen
    WeatherService,  // "Skyroll/<version>", the whole version
};
const char* userAgent(Requester requester);

}  // namespace skyroll::platform
