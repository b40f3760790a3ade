// SPDX-License-Identifier: Apache-2.0
#include "compat/hex_field.h"

#include <cstdio>

namespace velmora::compat {

std::optional<std::uint32_t> scan_hex_field_with_libc(const char *text, int width) {
    // Blanks, signs, a "0x" prefix and short runs: libc decides.
    unsigned int scanned = 0;
    if (std::sscanf(text, width == 2 ? "%02X" : "%04X", &scanned) == 1)
        return scanned;
    return std::nullopt;
}

void scan_three_octets(const char *text, std::uint32_t (&values)[3]) {
    values[0] = values[1] = values[2] = 0;
    int i = 0;
    for (; i < 6; ++i)
        if (hex_digit(text[i]) < 0)
            break;
    if (i == 6) {
        for (int k = 0; k < 3; ++k)
            values[k] = static_cast<std::uint32_t>(hex_digit(text[2 * k]) << 4 | hex_digit(text[2 * k + 1]));
        return;
    }
    unsigned int scanned[3] = {0, 0, 0};
    std::sscanf(text, "%02X%02X%02X", &scanned[0], &scanned[1], &scanned[2]);
    for (int k = 0; k < 3; ++k)
        values[k] = scanned[k];
}

}  // namespace velmora::compat
