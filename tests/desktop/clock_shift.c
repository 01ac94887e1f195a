// Preloaded into the program to run it at another moment: the wall clock
// (CLOCK_REALTIME, gettimeofday, time) reads as if the program had started
// at SKYROLL_CLOCK_AT (seconds since 1970 UTC) and goes on from there. The
// monotonic clock, which the timers use, is left alone.
// Build: cc -shared -fPIC -O2 -o clock_shift.so clock_shift.c -ldl
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/time.h>
#include <time.h>

static int (*real_clock_gettime)(clockid_t, struct timespec*);
static long long shift_seconds;

// On the first call, which may come from another library's constructor
// before this one's would run.
static void start(void) {
    if (real_clock_gettime) return;
    real_clock_gettime = (int (*)(clockid_t, struct timespec*))dlsym(RTLD_NEXT, "clock_gettime");
    const char* at = getenv("SKYROLL_CLOCK_AT");
    struct timespec now;
    if (at && real_clock_gettime(CLOCK_REALTIME, &now) == 0) shift_seconds = atoll(at) - (long long)now.tv_sec;
}

int clock_gettime(clockid_t clock, struct timespec* ts) {
    start();
    const int status = real_clock_gettime(clock, ts);
    if (status == 0 && (clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE)) ts->tv_sec += shift_seconds;
    return status;
}

int gettimeofday(struct timeval* restrict tv, void* restrict zone) {
    struct timespec ts;
    (void)zone;
    if (clock_gettime(CLOCK_REALTIME, &ts) != 0) return -1;
    tv->tv_sec = ts.tv_sec;
    tv->tv_usec = ts.tv_nsec / 1000;
    return 0;
}

time_t time(time_t* out) {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    if (out) *out = ts.tv_sec;
    return ts.tv_sec;
}
