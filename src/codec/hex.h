// Hexadecimal text <-> octets.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

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

char hex2c(std::uint8_t nibble);

// Converts the leading pairs that are two hex digits each, up to `pairs` of them;
// returns how many it converted. Reads only the first 2 x pairs characters.
std::uint32_t parse_digit_pairs(const char *text, std::uint32_t pairs, unsigned char *octets);
// The same with the vector forms of `vectors` or narrower (for tests to compare).
std::uint32_t parse_digit_pairs(const char *text, std::uint32_t pairs, unsigned char *octets, Vectors vectors);

// sscanf(text, "%0<width>X", &value) itself, for a field that is not plain digits.
std::optional<std::uint32_t> scan_hex_field_with_libc(const char *text, int width);

// What libc's sscanf(text, "%0<width>X", &value) stores, width being 2 or 4:
// nothing (nullopt) when the scan converts no digit. Two or four plain hex digits
// are read directly (inline, as every PDU field goes through here); anything else
// goes through sscanf itself. A NUL ends the digits before anything past it is read.
inline std::optional<std::uint32_t> scan_hex_field(const char *text, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int digit = kHexDigitValue[static_cast<unsigned char>(text[i])];
        if (digit < 0)
            return scan_hex_field_with_libc(text, width);
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// What sscanf(text, "%02X%02X%02X", &a, &b, &c) stores; values it does not assign stay 0.
void scan_three_octets(const char *text, std::uint32_t (&values)[3]);

// Renders octets as upper-case hex into a text area that holds 2 x count characters.
void render_hex(const unsigned char *octets, std::uint32_t count, char *text);

}  // namespace velmora
