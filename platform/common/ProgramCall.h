#pragma once
// How a desktop toolkit runs a call into the program from its event loop: a
// ProgramEnded thrown out of a nested loop ends the call quietly; any other
// failure goes to the failure handler, and when there is none, or it fails
// itself, the program ends with status 1 after the reason is printed.

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

#include "platform/Toolkit.h"

namespace skyroll::platform {

inline void callProgram(const std::function<void()>& handler,
                        const std::function<void(const std::string&)>& failureHandler, const bool& ended,
                        const std::function<void(int)>& quit, const std::function<void(const char*)>& trace) {
    try {
        handler();
    } catch (const ProgramEnded&) {
        // The program ended inside; nothing more of this handler runs.
    } catch (const std::exception& e) {
        trace(e.what());
        if (failureHandler && !ended) {
            try {
                failureHandler(e.what());
            } catch (const ProgramEnded&) {
            } catch (const std::exception& again) {
                std::fprintf(stderr, "skyroll: %s\n", again.what());
                quit(1);
            }
        } else if (!ended) {
            std::fprintf(stderr, "skyroll: %s\n", e.what());
            quit(1);
        }
    }
}

}  // namespace skyroll::platform
