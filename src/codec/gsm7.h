// SPDX-License-Identifier: Apache-2.0
// GSM 7-bit text with the national language tables of 3GPP TS 23.038: septet codes
// (one per byte) to UTF-8, and characters back to codes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "codec/cpu.h"

namespace velmora {

// The tables a message uses: national language identifiers 1-13, or 0 for the default
// alphabet and its extension table.
struct Gsm7Language {
    std::uint8_t locking = 0;
    std::uint8_t shift = 0;
};

// Bytes of UTF-8 that gsm7_to_utf8 may need per code, a 4-byte store included.
inline constexpr std::size_t kGsm7Utf8Slack = 4;

// Codes to UTF-8 through the locking table and, for the code after ESC, the single shift
// table. A shift code the table lacks shows the locking table's character (TS 23.038
// 6.2.1.1); ESC with nothing to escape shows as a space, a code no table defines as
// U+FFFD. `out` holds 3 bytes per code plus kGsm7Utf8Slack. Returns the bytes written.
// Runs of ASCII characters go sixteen codes at a time where `vectors` allows.
std::size_t gsm7_to_utf8(std::span<const std::uint8_t> codes, Gsm7Language language, char *out,
                         Vectors vectors = best_vectors());

// Whether a national language identifier names a table the library has (1-13).
constexpr bool known_language(std::uint32_t id) { return id >= 1 && id <= 13; }

inline constexpr std::uint8_t kGsm7Escape = 0x1B;

// Whether a national language has a locking shift table (Spanish has none).
bool has_locking_table(std::uint32_t id);

// A character's code: in the locking table (one septet) or, behind ESC, in the single
// shift table (two septets). septets 0: neither table holds it.
struct Gsm7Code {
    std::uint8_t code = 0;
    std::uint8_t septets = 0;
};

// Code of every ASCII character in each locking table (0xFF: none, and for every byte
// from 0x80 on, so that one lookup tells both), derived from the generated tables;
// indexed [language][byte].
using Gsm7AsciiCodes = std::array<std::array<std::uint8_t, 256>, 14>;
extern const Gsm7AsciiCodes kGsm7LockingAscii;
inline constexpr std::uint8_t kGsm7NoCode = 0xFF;

// The characters at the start of `text` (at most `n`) that `table` has a code for
// (kGsm7NoCode: none); their codes are written to `codes` unless it is null.
inline std::size_t gsm7_table_run(const std::uint8_t *text, std::size_t n, const std::array<std::uint8_t, 256> &table,
                                  std::uint8_t *codes) {
    std::size_t i = 0;
    if (codes == nullptr) {
        while (i < n && table[text[i]] != kGsm7NoCode)
            ++i;
        return i;
    }
    for (; i < n && table[text[i]] != kGsm7NoCode; ++i)
        codes[i] = table[text[i]];
    return i;
}

// The ASCII characters at the start of `text` (at most `n`) that the locking table of
// `language` holds; their codes are written to `codes` unless it is null. With the vector
// forms of `vectors` or narrower (for tests to compare).
std::size_t gsm7_ascii_run(const std::uint8_t *text, std::size_t n, std::uint8_t language, std::uint8_t *codes,
                           Vectors vectors);

// The same, the first few characters here (runs between accented letters are short),
// the rest with the widest vector form.
inline std::size_t gsm7_ascii_run(const std::uint8_t *text, std::size_t n, std::uint8_t language,
                                  std::uint8_t *codes) {
    const auto &table = kGsm7LockingAscii[language];
    constexpr std::size_t kShortRun = 8;
    std::size_t i = 0;
    for (; i < n && i < kShortRun; ++i) {
        const std::uint8_t code = table[text[i]];
        if (code == kGsm7NoCode)
            return i;
        if (codes != nullptr)
            codes[i] = code;
    }
    return i == n ? i : i + gsm7_ascii_run(text + i, n - i, language, codes != nullptr ? codes + i : nullptr,
                                           best_vectors());
}


// Which tables hold a character: bit n of `locking` (`shift`) for the locking (single
// shift) table of national language n, bit 0 for the default alphabet (extension table).
struct Gsm7Presence {
    std::uint16_t locking = 0;
    std::uint16_t shift = 0;
};

// What the tables hold of one character: its code in the locking table of each language
// (Spanish's being the default one) and in each single shift table, kGsm7NoCode where
// there is none; the lower code where a table lists it twice.
struct Gsm7Character {
    std::array<std::uint8_t, 14> locking;
    std::array<std::uint8_t, 14> shift;
    Gsm7Presence presence;
};

// Every character of the tables, found in two steps from its code point, both derived
// from the generated tables: kGsm7Blocks[kGsm7BlockOf[cp >> 7]][cp & 0x7F] is its index in
// kGsm7Characters, 0 (an entry that no table holds) for a character of none.
inline constexpr std::size_t kGsm7BlockCount = 18;
inline constexpr std::size_t kGsm7CharacterCount = 1073;
extern const std::array<std::uint8_t, 0x10000 / 128> kGsm7BlockOf;
extern const std::array<std::array<std::uint16_t, 128>, kGsm7BlockCount> kGsm7Blocks;
extern const std::array<Gsm7Character, kGsm7CharacterCount> kGsm7Characters;

inline std::uint16_t gsm7_character_index(char32_t cp) {
    return cp <= 0xFFFF ? kGsm7Blocks[kGsm7BlockOf[cp >> 7]][cp & 0x7F] : 0;
}

inline const Gsm7Character &gsm7_character(char32_t cp) { return kGsm7Characters[gsm7_character_index(cp)]; }

// Which tables hold each code point below U+0800 (Latin, Greek, Cyrillic): one step.
extern const std::array<Gsm7Presence, 0x800> kGsm7PresenceBelow800;

inline Gsm7Presence gsm7_presence(char32_t cp) {
    return cp < kGsm7PresenceBelow800.size() ? kGsm7PresenceBelow800[cp] : gsm7_character(cp).presence;
}

// The codes of UTF-8 text in the tables of `language`, ESC before each shift code, as far as
// the first character neither table holds or the first bytes that are not UTF-8: returns
// the bytes read; `written` gets the codes written, at most two a byte. In the default
// tables, characters below U+0800 (all but the euro sign) take one lookup.
std::size_t utf8_to_gsm7(std::span<const std::uint8_t> text, Gsm7Language language, std::uint8_t *codes,
                         std::size_t &written);

// The codes of the ASCII characters that every locking table of `locking_tables` (at least
// one; bit n for national language n, bit 0 for the default alphabet) holds at the default
// alphabet's code (all but the Indic tables' parentheses), kGsm7NoCode for the others: [byte].
std::array<std::uint8_t, 256> gsm7_ascii_at_default_code(std::uint16_t locking_tables);

// The locking table is preferred, then the single shift table.
inline Gsm7Code gsm7_code(const Gsm7Character &character, Gsm7Language language) {
    if (const std::uint8_t code = character.locking[language.locking]; code != kGsm7NoCode)
        return {code, 1};
    if (const std::uint8_t code = character.shift[language.shift]; code != kGsm7NoCode)
        return {code, 2};
    return {};
}

inline Gsm7Code gsm7_code(char32_t cp, Gsm7Language language) { return gsm7_code(gsm7_character(cp), language); }

}  // namespace velmora
