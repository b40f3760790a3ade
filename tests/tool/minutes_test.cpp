// SPDX-License-Identifier: Apache-2.0
// The JSON's validity_minutes for periods that are not whole minutes: every count of seconds
// TP-VP can give (and past it to where printf takes over) against printf's "%.4g".
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "text.h"

TEST(MinutesTest, EverySecondAsPrintfWritesIt) {
    int differences = 0;
    for (std::uint32_t seconds = 0; seconds <= 600060; ++seconds) {
        char expected[32], written[16];
        std::snprintf(expected, sizeof expected, "%.4g", seconds / 60.0);
        const std::string got(written, velmora::cli::write_minutes(written, seconds));
        if (got != expected && ++differences <= 5)
            ADD_FAILURE() << seconds << " seconds: " << got << ", printf " << expected;
    }
    EXPECT_EQ(differences, 0);
}
