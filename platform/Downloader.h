#pragma once
// The page downloader behind W3getv: fetches one page into a file.

#include <cstdint>
#include <string>

namespace skyroll::platform {

class Downloader {
public:
    virtual ~Downloader() = default;

    // `command` is "-d <folder> -j sjis -o <file> <address>" in the user's own
    // encoding; the folder may contain blanks and is not quoted. Stores the
    // page as <folder>/<file> in code page 932. On any failure leaves an empty
    // file under that name (when the name is a plain file name) and returns
    // non-zero; returns 0 when the page was stored. The arguments may be
    // changed; callers never read them again.
    virtual std::int32_t W3getv(std::string& command, std::int32_t& option) = 0;
};

}  // namespace skyroll::platform
