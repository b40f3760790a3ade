// UTF-8 and UTF-16 at the edges of the text codecs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

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

// The code point at text[at]: its length in bytes, or 0 when the bytes there are not
// UTF-8 (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF, or
// a sequence the text ends inside).
std::size_t next_utf8(std::string_view text, std::size_t at, char32_t &cp);

// UTF-16 code units, high octet first, as UTF-8: surrogate pairs joined, a lone surrogate
// and an odd last octet each shown as U+FFFD. `out` holds 3 bytes per octet pair, 3 for
// an odd octet. Returns the bytes written.
std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out);

}  // namespace velmora
