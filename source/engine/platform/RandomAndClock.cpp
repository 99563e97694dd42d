#include "platform/RandomAndClock.h"

#include <time.h>

#include <cerrno>
#include <cmath>

namespace compat {

namespace {
unsigned int g_seed = 1;
std::function<int64_t()>& clockSource() {
    static std::function<int64_t()>* source = new std::function<int64_t()>();
    return *source;
}
// The monotonic reading under a test source, and the source's last value.
bool g_testStarted = false;
int64_t g_testMonotonic = 0;
int64_t g_testLast = 0;
bool g_frameClock = false;
int64_t g_frameTicks = 0;
}  // namespace

int rand() {
    g_seed = g_seed * 214013u + 2531011u;
    return static_cast<int>((g_seed >> 16) & 0x7FFF);
}

void srand(unsigned int seed) { g_seed = seed; }

int64_t systemTicks() {
    if (clockSource()) return clockSource()();
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
}

double monotonicSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

int64_t monotonicTicks() {
    if (clockSource()) {
        const int64_t now = clockSource()();
        if (!g_testStarted) {
            g_testStarted = true;
            g_testMonotonic = now;
        } else if (now > g_testLast) {
            g_testMonotonic += now - g_testLast;
        }
        g_testLast = now;
        return g_testMonotonic;
    }
    if (g_frameClock) return g_frameTicks;
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
}

void setFrameClock(bool on) {
    g_frameClock = on;
    g_frameTicks = 0;
}

void advanceFrameClock(double seconds) {
    if (seconds > 0 && seconds < 1e6) g_frameTicks += static_cast<int64_t>(std::llround(seconds * 1e7));
}

void sleepSeconds(double seconds) {
    if (!(seconds > 0)) return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {}
}

void setClockForTest(std::function<int64_t()> source) {
    clockSource() = std::move(source);
    g_testStarted = false;
}

}  // namespace compat

namespace cocos2d {

int gettimeofday(cc_timeval* tp, void* tzp) {
    (void)tzp;
    if (!tp) return -1;
    // Floor division, so an injected clock before 1970 still gives 0 <= tv_usec < 10^6.
    const int64_t ticks = compat::systemTicks();
    int64_t micros = ticks / 10;
    if (ticks % 10 < 0) --micros;
    int64_t sec = micros / 1000000;
    int64_t usec = micros % 1000000;
    if (usec < 0) {
        usec += 1000000;
        --sec;
    }
    tp->tv_sec = static_cast<long>(sec);
    tp->tv_usec = static_cast<long>(usec);
    return 0;
}

}  // namespace cocos2d
