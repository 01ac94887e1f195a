/* Preloaded into the program by killpoints.sh: ends the process with SIGKILL
 * at one step of the replacement of a file in the folder SKYROLL_KILL_FOLDER,
 * where the program writes a temporary file ".skyroll-*.tmp" and renames it
 * over the file. SKYROLL_KILL_STEP names the step:
 *   write    - after half of the first write to the temporary file
 *   rename   - with the temporary file complete, before the rename
 *   renamed  - just after the rename
 * Without both variables everything passes through unchanged. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

static int temporary_fd = -1;

static int is_step(const char* step) {
    const char* wanted = getenv("SKYROLL_KILL_STEP");
    return wanted != NULL && strcmp(wanted, step) == 0;
}

/* A temporary file of ours in the watched folder. */
static int is_watched(const char* path) {
    const char* folder = getenv("SKYROLL_KILL_FOLDER");
    if (folder == NULL || path == NULL) return 0;
    const size_t length = strlen(folder);
    return strncmp(path, folder, length) == 0 && strncmp(path + length, "/.skyroll-", 10) == 0;
}

static void die(void) {
    kill(getpid(), SIGKILL);
    for (;;) pause();
}

static int opened(const char* path, int fd) {
    if (fd >= 0 && is_watched(path)) temporary_fd = fd;
    return fd;
}

int open(const char* path, int flags, ...) {
    static int (*real)(const char*, int, ...);
    if (real == NULL) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    return opened(path, real(path, flags, mode));
}

int open64(const char* path, int flags, ...) {
    static int (*real)(const char*, int, ...);
    if (real == NULL) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open64");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    return opened(path, real(path, flags, mode));
}

ssize_t write(int fd, const void* data, size_t size) {
    static ssize_t (*real)(int, const void*, size_t);
    if (real == NULL) real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd >= 0 && fd == temporary_fd && is_step("write") && size > 1) {
        real(fd, data, size / 2);
        die();
    }
    return real(fd, data, size);
}

int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    if (real == NULL) real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    if (!is_watched(from)) return real(from, to);
    if (is_step("rename")) die();
    const int result = real(from, to);
    if (is_step("renamed")) die();
    return result;
}
