// SPDX-License-Identifier: Apache-2.0
#include "codec/gsm7.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "codec/gsm7_tables.h"
#include "codec/utf8.h"
#if defined(VELMORA_X86_DISPATCH)
#include <immintrin.h>
#endif

namespace velmora {
namespace {

// The table a locking shift identifier selects: Spanish has none and keeps the default.
constexpr const Gsm7Table &locking_table(std::uint32_t language) {
    return kLockingTables[kHasLockingTable[language] ? language : 0];
}

// A character as UTF-8, padded to four bytes so that it is stored in one move; length 0: none.
struct Utf8Char {
    std::array<char, 4> bytes{};
    std::uint32_t length = 0;
};
using Utf8Table = std::array<Utf8Char, 128>;

constexpr Utf8Char utf8_char(char32_t cp) {
    Utf8Char c;
    c.length = static_cast<std::uint32_t>(put_utf8(cp, c.bytes.data()));
    return c;
}

// Every code of a locking table as UTF-8: ESC reads as a space where it escapes nothing,
// an undefined code as U+FFFD. Spanish has no locking table and keeps the default one.
constexpr std::array<Utf8Table, kLanguages> kLockingUtf8 = [] {
    std::array<Utf8Table, kLanguages> tables{};
    for (std::uint32_t language = 0; language < kLanguages; ++language) {
        const Gsm7Table &table = locking_table(language);
        for (std::uint32_t code = 0; code < 128; ++code)
            tables[language][code] = utf8_char(code == kGsm7Escape ? U' '
                                               : table[code] != 0 ? char32_t{table[code]}
                                                                  : kReplacementCharacter);
    }
    return tables;
}();

// Every code of a single shift table as UTF-8; length 0 where the table has none.
constexpr std::array<Utf8Table, kLanguages> kShiftUtf8 = [] {
    std::array<Utf8Table, kLanguages> tables{};
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t code = 0; code < 128; ++code)
            if (kShiftTables[language][code] != 0)
                tables[language][code] = utf8_char(kShiftTables[language][code]);
    return tables;
}();

static_assert(std::tuple_size_v<Gsm7AsciiCodes> == kLanguages);

constexpr const Gsm7Table &shift_table(std::uint32_t language) { return kShiftTables[language]; }

// Every character of any table, once, in order of code point; the first entry stands for
// no character.
struct CharacterList {
    std::array<char16_t, 2 * kLanguages * 128 + 1> characters{};
    std::uint32_t count = 1;
};

constexpr CharacterList kCharacterList = [] {
    CharacterList list;
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t code = 0; code < 128; ++code)
            for (const char16_t c : {locking_table(language)[code], shift_table(language)[code]})
                if (c != 0)
                    list.characters[list.count++] = c;
    std::sort(list.characters.begin() + 1, list.characters.begin() + list.count);
    list.count = static_cast<std::uint32_t>(
        std::unique(list.characters.begin() + 1, list.characters.begin() + list.count) - list.characters.begin());
    return list;
}();
static_assert(kCharacterList.count == kGsm7CharacterCount, "kGsm7CharacterCount follows the tables");

constexpr std::uint16_t index_in_list(char16_t c) {
    const auto end = kCharacterList.characters.begin() + kCharacterList.count;
    return static_cast<std::uint16_t>(std::lower_bound(kCharacterList.characters.begin() + 1, end, c) -
                                      kCharacterList.characters.begin());
}

// The blocks of 128 code points holding a character, block 0 holding none.
struct BlockIndex {
    std::array<std::uint8_t, 0x10000 / 128> block_of{};
    std::array<std::array<std::uint16_t, 128>, 64> blocks{};
    std::uint32_t count = 1;
};

constexpr BlockIndex kBlockIndex = [] {
    BlockIndex index;
    for (std::uint32_t i = 1; i < kCharacterList.count; ++i) {
        const char16_t c = kCharacterList.characters[i];
        std::uint8_t &block = index.block_of[c >> 7];
        if (block == 0)
            block = static_cast<std::uint8_t>(index.count++);
        index.blocks[block][c & 0x7F] = static_cast<std::uint16_t>(i);
    }
    return index;
}();
static_assert(kBlockIndex.count == kGsm7BlockCount, "kGsm7BlockCount follows the tables");

}  // namespace

constexpr std::array<std::uint8_t, 0x10000 / 128> kGsm7BlockOf = kBlockIndex.block_of;

constexpr std::array<std::array<std::uint16_t, 128>, kGsm7BlockCount> kGsm7Blocks = [] {
    std::array<std::array<std::uint16_t, 128>, kGsm7BlockCount> blocks{};
    std::copy_n(kBlockIndex.blocks.begin(), kGsm7BlockCount, blocks.begin());
    return blocks;
}();

constexpr std::array<Gsm7Character, kGsm7CharacterCount> kGsm7Characters = [] {
    std::array<Gsm7Character, kGsm7CharacterCount> characters{};
    for (Gsm7Character &character : characters)
        character.locking.fill(kGsm7NoCode), character.shift.fill(kGsm7NoCode);
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t code = 128; code-- > 0;) {  // downwards: the lower code is kept
            const auto bit = static_cast<std::uint16_t>(1u << language);
            if (const char16_t c = locking_table(language)[code]; c != 0) {
                Gsm7Character &character = characters[index_in_list(c)];
                character.locking[language] = static_cast<std::uint8_t>(code);
                if (kHasLockingTable[language])
                    character.presence.locking |= bit;
            }
            if (const char16_t c = shift_table(language)[code]; c != 0) {
                Gsm7Character &character = characters[index_in_list(c)];
                character.shift[language] = static_cast<std::uint8_t>(code);
                character.presence.shift |= bit;
            }
        }
    return characters;
}();

constexpr Gsm7AsciiCodes kGsm7LockingAscii = [] {
    Gsm7AsciiCodes codes{};
    for (auto &table : codes)
        table.fill(kGsm7NoCode);
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (char32_t c = 0; c < 128; ++c)
            codes[language][c] = kGsm7Characters[kGsm7Blocks[kGsm7BlockOf[0]][c]].locking[language];
    return codes;
}();

constexpr std::array<Gsm7Presence, 0x800> kGsm7PresenceBelow800 = [] {
    std::array<Gsm7Presence, 0x800> presence{};
    for (char32_t cp = 0; cp < presence.size(); ++cp)
        presence[cp] = kGsm7Characters[kGsm7Blocks[kGsm7BlockOf[cp >> 7]][cp & 0x7F]].presence;
    return presence;
}();

namespace {

// Per locking table, the codes of the ASCII characters it holds at the default alphabet's
// code, kGsm7NoCode for the others (all of them where the language has no locking table).
constexpr Gsm7AsciiCodes kAtDefaultCode = [] {
    Gsm7AsciiCodes codes{};
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t c = 0; c < 256; ++c)
            codes[language][c] = kHasLockingTable[language] && kGsm7LockingAscii[language][c] == kGsm7LockingAscii[0][c]
                                     ? kGsm7LockingAscii[0][c]
                                     : kGsm7NoCode;
    return codes;
}();

}  // namespace

std::array<std::uint8_t, 256> gsm7_ascii_at_default_code(std::uint16_t locking_tables) {
    // Codes are below 0x80: the highest of the tables' entries is a code they share, or none.
    std::array<std::uint8_t, 256> codes{};
    for (std::uint32_t left = locking_tables; left != 0; left &= left - 1) {
        const auto &table = kAtDefaultCode[static_cast<std::size_t>(__builtin_ctz(left))];
        for (std::size_t c = 0; c < codes.size(); ++c)
            codes[c] = std::max(codes[c], table[c]);
    }
    return codes;
}

namespace {

#if defined(VELMORA_X86_DISPATCH)
// Per language, a bit for each ASCII character, byte c / 8 bit c % 8: which the locking
// table holds, and which of those are their own code.
struct AsciiBits {
    std::array<std::uint8_t, 16> held{};
    std::array<std::uint8_t, 16> own_code{};
};
constexpr std::array<AsciiBits, kLanguages> kAsciiBits = [] {
    std::array<AsciiBits, kLanguages> bits{};
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t c = 0; c < 128; ++c)
            if (const std::uint8_t code = kGsm7LockingAscii[language][c]; code != kGsm7NoCode) {
                bits[language].held[c / 8] |= static_cast<std::uint8_t>(1u << c % 8);
                if (code == c)
                    bits[language].own_code[c / 8] |= static_cast<std::uint8_t>(1u << c % 8);
            }
    return bits;
}();

// Sixteen characters at a time: each looks up its bit (pshufb of byte c / 8, a byte of
// 0x80 or more finding none); the codes are the bytes themselves but for the few that
// differ, written after. `codes` has room for `n`.
__attribute__((target("ssse3"))) std::size_t ascii_run_ssse3(const std::uint8_t *text, std::size_t n,
                                                               std::uint8_t language, std::uint8_t *codes) {
    const AsciiBits &bits = kAsciiBits[language];
    const __m128i held = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bits.held.data()));
    const __m128i own_code = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bits.own_code.data()));
    const __m128i bit_of = _mm_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        const __m128i byte = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(c, 3), _mm_set1_epi8(0x0F)),
                                          _mm_and_si128(c, _mm_set1_epi8(static_cast<char>(0x80))));
        const __m128i bit = _mm_shuffle_epi8(bit_of, _mm_and_si128(c, _mm_set1_epi8(7)));
        const auto missing = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(_mm_shuffle_epi8(held, byte), bit), zero)));
        const unsigned taken = missing != 0 ? static_cast<unsigned>(__builtin_ctz(missing)) : 16;
        if (codes != nullptr) {  // all sixteen stored, those past the run written over later
            _mm_storeu_si128(reinterpret_cast<__m128i *>(codes + i), c);
            auto other = static_cast<unsigned>(_mm_movemask_epi8(
                             _mm_cmpeq_epi8(_mm_and_si128(_mm_shuffle_epi8(own_code, byte), bit), zero))) &
                         ((1u << taken) - 1);
            for (; other != 0; other &= other - 1) {
                const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(other));
                codes[at] = kGsm7LockingAscii[language][text[at]];
            }
        }
        if (missing != 0)
            return i + taken;
    }
    return i + gsm7_table_run(text + i, n - i, kGsm7LockingAscii[language], codes == nullptr ? nullptr : codes + i);
}
#endif

}  // namespace

std::size_t gsm7_ascii_run(const std::uint8_t *text, std::size_t n, std::uint8_t language, std::uint8_t *codes,
                           [[maybe_unused]] Vectors vectors) {
#if defined(VELMORA_X86_DISPATCH)
    if (vectors >= Vectors::Ssse3)
        return ascii_run_ssse3(text, n, language, codes);
#endif
    return gsm7_table_run(text, n, kGsm7LockingAscii[language], codes);
}

namespace {

// The default alphabet's code of every code point below U+0800 (septets 0: none).
constexpr std::array<Gsm7Code, 0x800> kDefaultCodes = [] {
    std::array<Gsm7Code, 0x800> codes{};
    for (char32_t cp = 0; cp < 0x800; ++cp) {
        const Gsm7Character &character = kGsm7Characters[kGsm7Blocks[kGsm7BlockOf[cp >> 7]][cp & 0x7F]];
        if (character.locking[0] != kGsm7NoCode)
            codes[cp] = {character.locking[0], 1};
        else if (character.shift[0] != kGsm7NoCode)
            codes[cp] = {character.shift[0], 2};
    }
    return codes;
}();

}  // namespace

std::size_t utf8_to_gsm7(std::span<const std::uint8_t> text, Gsm7Language language, std::uint8_t *codes,
                         std::size_t &written) {
    constexpr std::size_t kLongRun = 8;  // ASCII characters in a row before the vector form takes over
    const auto &ascii = kGsm7LockingAscii[language.locking];
    const bool default_tables = language.locking == 0 && language.shift == 0;
    const std::size_t n = text.size();
    std::uint8_t *out = codes;
    std::size_t at = 0;
    while (at < n) {
        for (const std::size_t run_start = at; at < n && ascii[text[at]] != kGsm7NoCode;) {
            *out++ = ascii[text[at++]];
            if (at - run_start == kLongRun) {
                const std::size_t run = gsm7_ascii_run(text.data() + at, n - at, language.locking, out, best_vectors());
                out += run, at += run;
                break;
            }
        }
        if (at == n)
            break;
        // An extension character, a letter of two bytes, the euro sign; or where to stop.
        const std::uint8_t lead = text[at];
        char32_t cp = lead;
        std::size_t length = 1;
        if (lead >= 0xC2 && lead <= 0xDF && at + 1 < n && (text[at + 1] & 0xC0) == 0x80) {
            cp = static_cast<char32_t>((lead & 0x1F) << 6 | (text[at + 1] & 0x3F));
            length = 2;
        } else if (lead >= 0x80 && (length = next_utf8({reinterpret_cast<const char *>(text.data()), n}, at, cp)) == 0) {
            break;
        }
        const Gsm7Code code = default_tables && cp < kDefaultCodes.size() ? kDefaultCodes[cp] : gsm7_code(cp, language);
        if (code.septets == 0)
            break;
        if (code.septets == 2)
            *out++ = kGsm7Escape;
        *out++ = code.code;
        at += length;
    }
    written = static_cast<std::size_t>(out - codes);
    return at;
}

bool has_locking_table(std::uint32_t id) { return id < kLanguages && kHasLockingTable[id]; }

namespace {

#if defined(VELMORA_X86_DISPATCH)
// The ASCII byte of every code of each locking table whose character is ASCII, 0 for the
// others (ESC, letters of more bytes, U+FFFD): [language][code].
constexpr std::array<std::array<std::uint8_t, 128>, kLanguages> kLockingAsciiOf = [] {
    std::array<std::array<std::uint8_t, 128>, kLanguages> ascii{};
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t code = 0; code < 128; ++code)
            if (const Utf8Char &c = kLockingUtf8[language][code]; c.length == 1 && code != kGsm7Escape)
                ascii[language][code] = static_cast<std::uint8_t>(c.bytes[0]);
    return ascii;
}();

// Sixteen codes at a time while each is an ASCII character: a pshufb into each sixteenth
// of the table, kept where the code's high bits pick it. Returns the codes done, their
// characters at `out` (which has room for a byte a code).
__attribute__((target("ssse3"))) std::size_t ascii_codes_ssse3(const std::uint8_t *codes, std::size_t n,
                                                               const std::array<std::uint8_t, 128> &ascii,
                                                               char *out) {
    __m128i rows[8];
    for (int row = 0; row < 8; ++row)
        rows[row] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(ascii.data() + 16 * row));
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m128i code = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(codes + i)),
                                           _mm_set1_epi8(0x7F));
        const __m128i column = _mm_and_si128(code, _mm_set1_epi8(0x0F));
        const __m128i row_of = _mm_and_si128(_mm_srli_epi16(code, 4), _mm_set1_epi8(0x0F));
        __m128i chars = _mm_setzero_si128();
        for (int row = 0; row < 8; ++row)
            chars = _mm_or_si128(chars, _mm_and_si128(_mm_cmpeq_epi8(row_of, _mm_set1_epi8(static_cast<char>(row))),
                                                      _mm_shuffle_epi8(rows[row], column)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), chars);
        if (const auto other = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chars, _mm_setzero_si128())));
            other != 0)
            return i + static_cast<std::size_t>(__builtin_ctz(other));
    }
    return i;
}
#endif

}  // namespace

std::size_t gsm7_to_utf8(std::span<const std::uint8_t> codes, Gsm7Language language, char *out,
                         [[maybe_unused]] Vectors vectors) {
    const std::uint8_t locking_language = known_language(language.locking) ? language.locking : 0;
    const Utf8Table &locking = kLockingUtf8[locking_language];
    const Utf8Table &shift = kShiftUtf8[known_language(language.shift) ? language.shift : 0];
    std::size_t written = 0;
    [[maybe_unused]] std::size_t next_run = 0;  // where to try sixteen codes at a time again
    for (std::size_t i = 0; i < codes.size(); ++i) {
#if defined(VELMORA_X86_DISPATCH)
        // A run of ASCII characters, then the code after it; after a short run, a few codes
        // one at a time (text with many accented letters).
        if (vectors >= Vectors::Ssse3 && i >= next_run && codes.size() - i >= 16) {
            const std::size_t run = ascii_codes_ssse3(codes.data() + i, codes.size() - i,
                                                      kLockingAsciiOf[locking_language], out + written);
            written += run, i += run;
            if (i == codes.size())
                break;
            next_run = i + 8;
        }
#endif
        const std::uint8_t code = codes[i] & 0x7F;
        Utf8Char c = locking[code];
        if (code == kGsm7Escape && i + 1 < codes.size()) {
            const std::uint8_t escaped = codes[++i] & 0x7F;
            c = shift[escaped].length != 0 ? shift[escaped] : locking[escaped];
        }
        std::memcpy(out + written, c.bytes.data(), c.bytes.size());
        written += c.length;
    }
    return written;
}

}  // namespace velmora
