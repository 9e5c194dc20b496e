#pragma once
// Tests that need something this machine may lack (root rights, smbd, a D-Bus daemon, a loop device...)
// end through ZORVAN_SKIP_UNLESS: skipped with the reason on a developer's machine, failed under CI=true,
// where a quiet skip would let the test pass without ever running.
#include <gtest/gtest.h>

namespace TestEnvironment {
// True when the environment has CI=true: every test must then really run.
bool missingFacilityFails();
} // namespace TestEnvironment

// Ends the test when `condition` does not hold; `reason` may stream several parts ("no user " << id).
#define ZORVAN_SKIP_UNLESS(condition, reason)                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            if (::TestEnvironment::missingFacilityFails())                                                   \
                FAIL() << "cannot run here, and CI=true lets no test skip itself: " << reason;               \
            else                                                                                             \
                GTEST_SKIP() << reason;                                                                      \
        }                                                                                                    \
    } while (false)
