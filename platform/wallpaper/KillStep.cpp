#include "platform/wallpaper/KillStep.h"

#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace skyroll::wallpaper {
namespace {

// The step to kill at, read once; 0 for none.
long wantedStep() {
    static const long wanted = [] {
        const char* text = std::getenv("SKYROLL_KILL_STEP");
        long n = 0;
        if (text) std::from_chars(text, text + std::strlen(text), n);
        return n > 0 ? n : 0L;
    }();
    return wanted;
}

}  // namespace

bool killStepsArmed() { return wantedStep() != 0; }

void killStep() {
    static long passed = 0;
    if (killStepsArmed() && ++passed == wantedStep()) kill(getpid(), SIGKILL);
}

}  // namespace skyroll::wallpaper
