// SPDX-License-Identifier: Apache-2.0
// The GSM 7-bit default alphabet and its extension table as 8-bit characters (ISO 8859-1,
// the euro sign at 0x80), derived from the generated default tables. Everything else about
// the 8-bit alphabet is derived from these three tables; tests/vectors/codecs.tsv encodes
// every byte and decodes every code through them.
#pragma once

#include <array>
#include <cstdint>

#include "codec/gsm7_tables.h"
#include "codec/protocol.h"

namespace velmora::compat {

struct CharCode {
    std::uint32_t character;
    std::uint32_t code;
};

inline constexpr char32_t kEuroSign = 0x20AC;
inline constexpr std::uint32_t kEuroByte = 0x80;

// The 8-bit character of a code point: itself up to 0xFF, the euro sign 0x80, '?' for
// any other (the Greek capitals).
constexpr std::uint32_t eight_bit(char32_t cp) {
    return cp <= 0xFF ? cp : cp == kEuroSign ? kEuroByte : std::uint32_t{'?'};
}

// 8-bit character of every default-alphabet code; ESC (0x1B) reads as a space.
inline constexpr std::array<std::uint32_t, 128> kEightBitOfCode = [] {
    std::array<std::uint32_t, 128> table{};
    for (std::uint32_t code = 0; code < 128; ++code)
        table[code] = code == protocol::kEscape ? std::uint32_t{' '} : eight_bit(kLockingTables[0][code]);
    return table;
}();

// Character -> code, searched by character: entry j holds code j. It is the table above
// except that ESC encodes as itself and the Greek capitals hold their UCS code points,
// which no 8-bit character matches.
inline constexpr std::array<CharCode, 128> kCodeOfEightBit = [] {
    std::array<CharCode, 128> table{};
    for (std::uint32_t code = 0; code < 128; ++code)
        table[code] = {code == protocol::kEscape ? code : eight_bit(kLockingTables[0][code]), code};
    for (std::uint32_t code = 0; code < 128; ++code)
        if (kLockingTables[0][code] > 0xFF)
            table[code].character = kLockingTables[0][code];
    return table;
}();

// Characters reached through ESC, and their extension codes: the extension table, and
// carriage return escaped to code 0x0D.
inline constexpr std::size_t kExtensionCodes = [] {
    std::size_t n = 0;
    for (const char16_t cp : kShiftTables[0])
        n += cp != 0;
    return n;
}();
inline constexpr std::array<CharCode, kExtensionCodes + 1> kEscapedEightBit = [] {
    std::array<CharCode, kExtensionCodes + 1> table{};
    std::size_t n = 0;
    for (std::uint32_t code = 0; code < 128; ++code)
        if (kShiftTables[0][code] != 0)
            table[n++] = {eight_bit(kShiftTables[0][code]), code};
    table[n] = {0x0D, 0x0D};  // carriage return
    return table;
}();

}  // namespace velmora::compat
