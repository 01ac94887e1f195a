#pragma once
// Steps inside the wallpaper services where the kill-point tests end the
// program: each service passes one at every request that changes the
// desktop (and just after the crash record is written). With
// SKYROLL_KILL_STEP=N in the environment the program kills itself with
// SIGKILL at the Nth step it passes; without it a step costs one test.

namespace skyroll::wallpaper {

// True when a kill step is asked for: a service then makes sure its
// requests have reached the desktop before each step.
bool killStepsArmed();
void killStep();

}  // namespace skyroll::wallpaper
