// SPDX-License-Identifier: Apache-2.0
// UTF-8 and UTF-16 at the edges of the text codecs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/cpu.h"

namespace velmora {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Writes a code point (at most U+10FFFF) as UTF-8; returns the 1 to 4 bytes written.
constexpr std::size_t put_utf8(char32_t cp, char *out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | cp >> 6);
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | cp >> 12);
        out[1] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | cp >> 18);
    out[1] = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

// UTF-16 code units of a code point: 2 beyond the BMP (a surrogate pair), else 1.
constexpr std::uint32_t utf16_units(char32_t cp) { return cp > 0xFFFF ? 2 : 1; }

// Writes a code point as UTF-16, high octet first; returns the 2 or 4 octets written.
constexpr std::size_t put_utf16be(char32_t cp, std::uint8_t *out) {
    if (cp > 0xFFFF) {
        const char32_t v = cp - 0x10000;
        const char32_t high = 0xD800 | v >> 10, low = 0xDC00 | (v & 0x3FF);
        out[0] = static_cast<std::uint8_t>(high >> 8), out[1] = static_cast<std::uint8_t>(high);
        out[2] = static_cast<std::uint8_t>(low >> 8), out[3] = static_cast<std::uint8_t>(low);
        return 4;
    }
    out[0] = static_cast<std::uint8_t>(cp >> 8), out[1] = static_cast<std::uint8_t>(cp);
    return 2;
}

// The code point at text[at]: its length in bytes, or 0 when the bytes there are not
// UTF-8 (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, or
// a sequence the text ends inside).
inline std::size_t next_utf8(std::string_view text, std::size_t at, char32_t &cp) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t lead = byte(0);
    cp = lead;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {  // two bytes: nothing to check past the second
        if (text.size() - at < 2 || (byte(1) & 0xC0) != 0x80)
            return 0;
        cp = static_cast<char32_t>((lead & 0x1F) << 6 | (byte(1) & 0x3F));
        return 2;
    }
    std::size_t length;
    char32_t min;
    if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// put_utf8 for the BMP without a branch on the length: three bytes are always stored.
inline std::size_t put_utf8_bmp(char32_t cp, char *out) {
    const bool one = cp < 0x80, two = cp < 0x800;
    const auto byte = [](char32_t value) { return static_cast<char>(value); };
    out[0] = byte(one ? cp : two ? 0xC0 | cp >> 6 : 0xE0 | cp >> 12);
    out[1] = byte(two ? 0x80 | (cp & 0x3F) : 0x80 | (cp >> 6 & 0x3F));
    out[2] = byte(0x80 | (cp & 0x3F));
    return one ? 1 : two ? 2 : 3;
}

// Octets that utf8_to_utf16be may store beyond the units it counts.
inline constexpr std::size_t kUtf16Slack = 16;

// UTF-8 to UTF-16, high octet first, one whole character after the other while the next
// fits within `max_units` code units; stops early at a byte that is not UTF-8. `out` holds
// 2 * max_units + kUtf16Slack octets; `units` is set to the code units written. Returns
// the bytes read.
std::size_t utf8_to_utf16be(std::string_view text, std::size_t max_units, std::uint8_t *out, std::size_t &units);
// The same with the vector forms of `vectors` or narrower (for tests to compare).
std::size_t utf8_to_utf16be(std::string_view text, std::size_t max_units, std::uint8_t *out, std::size_t &units,
                            Vectors vectors);

// UTF-16 code units, high octet first, as UTF-8: surrogate pairs joined, a lone surrogate
// and an odd last octet each shown as U+FFFD. `out` holds 3 bytes per octet pair and 3
// for an odd octet. Returns the bytes written.
std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out);
// The same with the vector forms of `vectors` or narrower (for tests to compare).
std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out, Vectors vectors);

// The octets at the end of a run that the next run may complete: an odd last octet, or a
// high surrogate (and an odd octet after it). Text cut into runs is converted whole when
// each run but the last leaves these for the next.
std::size_t utf16be_open_tail(std::span<const std::uint8_t> octets);

}  // namespace velmora
