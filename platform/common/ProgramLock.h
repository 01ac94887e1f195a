#pragma once
// One program per user: the lock that a starting program takes in the
// per-user state folder, beside the wallpaper's crash record, and holds for
// as long as it runs. Two copies in different folders share it too, so one
// never takes the other's space picture for the user's wallpaper.

#include <memory>
#include <string>

#include "platform/FileLock.h"
#include "platform/FileSystem.h"

namespace skyroll::platform {

struct ProgramLock {
    std::unique_ptr<FileLock> lock;  // held while the program runs; empty when not taken
    bool otherRunning = false;       // another program of this user holds it: this one ends (status 0)
    bool unusable = false;           // the lock file cannot be opened or locked: this one fails (status 1)
    std::string message;             // what to tell the user: why it ends, or why it runs unlocked
};

// Takes the lock without waiting. When the state folder cannot be made the
// program runs unlocked, with a message, as it runs without a crash record.
// A lock file that is there but cannot be used (not a plain file, not the
// user's to open, in a folder the user cannot write) ends the start: the
// message names the file and the reason.
ProgramLock lockProgram(FileSystem& files);

}  // namespace skyroll::platform
