// The live weather service's JSON answer, arbitrary bytes, for the 28 cities
// and for a few other place counts.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "weather/LiveAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace skyroll::weather;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    for (const std::size_t places : {std::size_t{28}, std::size_t{1}, std::size_t{0}}) {
        const LiveAnswer answer = ReadLiveAnswer(body, places);
        if (answer.conditions.size() != places) std::abort();
    }
    return 0;
}
