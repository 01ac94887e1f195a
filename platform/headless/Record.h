#pragma once
// One platform call as the headless platform saw it, at its virtual time.

#include <cstdint>
#include <string>

namespace skyroll::headless {

struct Record {
    std::int64_t timeUs = 0;  // virtual time in microseconds
    std::string subject;      // "fSky_Roll", "fSky_Roll.Label4", "fSky_Roll.mEND", "tray", "desktop"
    std::string what;         // "picture", "caption", "visible", "checked", "region set", ...
    std::string value;
};

}  // namespace skyroll::headless
