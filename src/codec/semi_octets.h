// SPDX-License-Identifier: Apache-2.0
// Swapped semi-octets (3GPP TS 23.040 9.1.2.3): two values a octet, the first in the low
// nibble. Addresses carry digits this way, time stamps and validity periods decimal
// two-digit values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/cpu.h"

namespace velmora {

// Semi-octet values 0-9, then '*', '#', 'a', 'b', 'c'; 0xF fills the last octet of an odd count.
inline constexpr char kSemiOctetDigits[] = "0123456789*#abc";
inline constexpr std::uint8_t kSemiOctetFiller = 0xF;

// The semi-octets of an octet in order: the low nibble, then the high one.
constexpr std::uint8_t first_semi_octet(std::uint8_t octet) { return octet & 0x0F; }
constexpr std::uint8_t second_semi_octet(std::uint8_t octet) { return octet >> 4; }
// Two values 0-15 as one octet; bits of `first` above its low nibble are not cleared.
constexpr std::uint8_t semi_octet_pair(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint8_t>(first | second << 4);
}

// Semi-octet value of a digit character ('0'-'9', '*', '#', 'a'-'c' in either case), or
// kSemiOctetFiller for any other.
constexpr std::uint8_t semi_octet_value(char c) {
    const char lower = c >= 'A' && c <= 'C' ? static_cast<char>(c - 'A' + 'a') : c;
    for (std::uint8_t value = 0; value < kSemiOctetFiller; ++value)
        if (kSemiOctetDigits[value] == lower)
            return value;
    return kSemiOctetFiller;
}

// `count` semi-octet values packed two to an octet, a filler after an odd last one;
// returns the octets written, (count + 1) / 2.
constexpr std::size_t pack_semi_octets(std::span<const std::uint8_t> values, std::uint8_t *out) {
    std::size_t written = 0;
    for (std::size_t i = 0; i < values.size(); i += 2)
        out[written++] = semi_octet_pair(values[i], i + 1 < values.size() ? values[i + 1] : kSemiOctetFiller);
    return written;
}

// Digit characters of `count` semi-octets, fillers left out; returns the characters written.
// A filler before the last semi-octet is not a digit: `misplaced_filler` (when given) gets
// its semi-octet index. `octets` may go on past the semi-octets: when it holds eight
// octets, the vector form reads eight at once. `out` holds 16 characters or `count`,
// whichever is more; those past the digits may be written with zeros. `vectors`: the
// widest form to use (SSE2 is in every x86-64), for tests to compare.
std::size_t semi_octets_to_digits(std::span<const std::uint8_t> octets, std::size_t count, char *out,
                                  std::optional<std::size_t> *misplaced_filler = nullptr,
                                  Vectors vectors = Vectors::Sse2);

// A decimal value 0-99 as two swapped semi-octets (tens first, in the low nibble), and back:
// nullopt when either semi-octet is not a decimal digit.
constexpr std::uint8_t swapped_decimal(std::uint32_t value) { return semi_octet_pair(value / 10 % 10, value % 10); }
inline constexpr std::uint8_t kNotDecimal = 0xFF;
inline constexpr std::array<std::uint8_t, 256> kDecimalOfSwapped = [] {
    std::array<std::uint8_t, 256> values{};
    for (std::uint32_t octet = 0; octet < 256; ++octet) {
        const std::uint8_t tens = first_semi_octet(static_cast<std::uint8_t>(octet));
        const std::uint8_t units = second_semi_octet(static_cast<std::uint8_t>(octet));
        values[octet] = tens > 9 || units > 9 ? kNotDecimal : static_cast<std::uint8_t>(tens * 10 + units);
    }
    return values;
}();
constexpr std::optional<std::uint8_t> decimal_of_swapped(std::uint8_t octet) {
    const std::uint8_t value = kDecimalOfSwapped[octet];
    return value != kNotDecimal ? std::optional<std::uint8_t>(value) : std::nullopt;
}

// The same in plain order (tens in the high nibble), as the 3GPP2 time stamp has it.
constexpr std::optional<std::uint8_t> decimal_of_plain(std::uint8_t octet) {
    return decimal_of_swapped(semi_octet_pair(second_semi_octet(octet), first_semi_octet(octet)));
}

// Hexadecimal text of swapped semi-octets, as it stands in a PDU: each pair of characters
// swapped back into reading order. `skip` (when not NUL) is a character left out, the
// filler of an address.
constexpr std::size_t swap_digit_pairs(const char *hex, std::size_t count, char *out, char skip = '\0') {
    std::size_t written = 0;
    for (std::size_t i = 0; i + 1 < count; i += 2) {
        out[written++] = hex[i + 1];
        if (skip == '\0' || hex[i] != skip)
            out[written++] = hex[i];
    }
    return written;
}

}  // namespace velmora
