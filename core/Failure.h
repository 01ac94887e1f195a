#pragma once
// A failure the program cannot go on from: a picture that cannot be loaded, a
// page folder that cannot be made. It escapes the event handler; the program
// then shows one message, undoes what it did to the desktop and exits with a
// non-zero status.

#include <stdexcept>

namespace skyroll {

struct FatalError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace skyroll
