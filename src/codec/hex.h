// SPDX-License-Identifier: Apache-2.0
// Hexadecimal text <-> octets.
#pragma once

#include <array>
#include <cstdint>

#include "codec/cpu.h"

namespace velmora {

inline constexpr char hexchar[] = "0123456789ABCDEF";

// Value of a hexadecimal digit of either case, -1 for any other byte.
inline constexpr std::array<signed char, 256> kHexDigitValue = [] {
    std::array<signed char, 256> table{};
    table.fill(-1);
    for (int v = 0; v < 16; ++v) {
        table[static_cast<unsigned char>(hexchar[v])] = static_cast<signed char>(v);
        if (v >= 10)
            table[static_cast<unsigned char>(hexchar[v] - 'A' + 'a')] = static_cast<signed char>(v);
    }
    return table;
}();
constexpr int hex_digit(char c) { return kHexDigitValue[static_cast<unsigned char>(c)]; }

// Converts the leading pairs that are two hex digits each, up to `pairs` of them;
// returns how many it converted. Reads only the first 2 x pairs characters.
std::uint32_t parse_digit_pairs(const char *text, std::uint32_t pairs, unsigned char *octets);
// The same with the vector forms of `vectors` or narrower (for tests to compare).
std::uint32_t parse_digit_pairs(const char *text, std::uint32_t pairs, unsigned char *octets, Vectors vectors);

// Renders octets as upper-case hex into a text area that holds 2 x count characters.
void render_hex(const unsigned char *octets, std::uint32_t count, char *text);

}  // namespace velmora
