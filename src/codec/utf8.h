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

// UTF-16 code units, high octet first, read as octet(0) .. octet(count - 1), handed to
// put(code point): surrogate pairs joined, a lone surrogate and an odd last octet each
// given as U+FFFD.
template <class Octet, class Put>
void utf16be_code_points(std::size_t count, Octet &&octet, Put &&put) {
    const auto unit = [&](std::size_t at) { return static_cast<char32_t>(octet(at) << 8 | octet(at + 1)); };
    std::size_t i = 0;
    for (; i + 2 <= count; i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            const bool pair = cp <= 0xDBFF && i + 4 <= count && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF;
            if (pair) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            } else {
                cp = kReplacementCharacter;
            }
        }
        put(cp);
    }
    if (i < count)
        put(kReplacementCharacter);
}

// The same from one run of octets into `out`, which holds 3 bytes per octet pair and 3
// for an odd octet. Returns the bytes written.
inline std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out) {
    std::size_t written = 0;
    utf16be_code_points(
        octets.size(), [&](std::size_t at) { return octets[at]; },
        [&](char32_t cp) { written += put_utf8(cp, out + written); });
    return written;
}

}  // namespace velmora
