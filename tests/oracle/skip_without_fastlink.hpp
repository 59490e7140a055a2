#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "oracle/fastlink.hpp"

// Ends a test that needs FASTLINK when it is not installed: a skip, except
// under CI, which installs FASTLINK, so that there a missing oracle is a
// fault.
#define SKIP_WITHOUT_FASTLINK()                                                      \
    do {                                                                             \
        if (!pedlik::oracle::fastlinkAvailable()) {                                  \
            if (std::getenv("CI") != nullptr) FAIL() << "FASTLINK is not installed"; \
            GTEST_SKIP() << "FASTLINK is not installed";                             \
        }                                                                            \
    } while (0)
