// (ours) Platform stand-ins that keep the game's numbers as on its original
// platform: the random generator and the wall clock.
#pragma once

#include <cstdint>
#include <functional>

namespace compat {

// The generator the game's formulas assume (values 0..32767):
// seed = seed * 214013 + 2531011, result (seed >> 16) & 0x7FFF; initial seed 1.
// glibc's rand() is never used.
constexpr int RandMax = 32767;
int rand();
void srand(unsigned int seed);

// Wall-clock time in 100-ns ticks since 1970-01-01 (signed 64-bit).
int64_t systemTicks();

// Seconds on the monotonic clock, for frame times that must not follow
// wall-clock steps.
double monotonicSeconds();

// The monotonic clock in 100-ns ticks, for time windows that must not follow
// wall-clock steps. Under setClockForTest it advances only by the forward
// steps of the test source; with the frame clock on (and no test source),
// only by advanceFrameClock, so that a fixed-step run is the same every time.
int64_t monotonicTicks();
void setFrameClock(bool on);
void advanceFrameClock(double seconds);

// Sleeps for the given seconds (nothing for zero, negative or NaN), resuming
// after signals.
void sleepSeconds(double seconds);

// Replaces the wall-clock source of systemTicks() and gettimeofday() for tests;
// an empty function restores the real clock. The source returns 100-ns ticks.
void setClockForTest(std::function<int64_t()> source);

}  // namespace compat

namespace cocos2d {

struct cc_timeval {
    long tv_sec;
    long tv_usec;
};

// Microseconds from the same source as compat::systemTicks(); returns 0.
int gettimeofday(cc_timeval* tp, void* tzp);

}  // namespace cocos2d
