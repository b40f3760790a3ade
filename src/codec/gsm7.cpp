#include "codec/gsm7.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "codec/gsm7_tables.h"
#include "codec/utf8.h"

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

// Reverse lookups, derived from the tables: ASCII by index, the rest sorted by character
// (then code, so that a repeated character finds its lower code first).
struct Gsm7Entry {
    char16_t character;
    std::uint8_t code;
    constexpr bool operator<(const Gsm7Entry &other) const {
        return character != other.character ? character < other.character : code < other.code;
    }
};

struct ReverseTable {
    std::array<Gsm7Entry, 128> beyond_ascii{};
    std::uint32_t count = 0;
};

static_assert(std::tuple_size_v<Gsm7AsciiCodes> == kLanguages);

constexpr Gsm7AsciiCodes ascii_codes(const auto &table_of) {
    Gsm7AsciiCodes codes{};
    for (std::uint32_t language = 0; language < kLanguages; ++language) {
        codes[language].fill(kGsm7NoCode);
        for (std::uint32_t code = 128; code-- > 0;)  // downwards: the lower code is kept
            if (const char16_t c = table_of(language)[code]; c != 0 && c < 0x80)
                codes[language][c] = static_cast<std::uint8_t>(code);
    }
    return codes;
}

constexpr std::array<ReverseTable, kLanguages> reverse_tables(const auto &table_of) {
    std::array<ReverseTable, kLanguages> tables{};
    for (std::uint32_t language = 0; language < kLanguages; ++language) {
        ReverseTable &reverse = tables[language];
        for (std::uint32_t code = 0; code < 128; ++code)
            if (const char16_t c = table_of(language)[code]; c >= 0x80)
                reverse.beyond_ascii[reverse.count++] = {c, static_cast<std::uint8_t>(code)};
        std::sort(reverse.beyond_ascii.begin(), reverse.beyond_ascii.begin() + reverse.count);
    }
    return tables;
}

constexpr auto kLockingOf = [](std::uint32_t language) -> const Gsm7Table & { return locking_table(language); };
constexpr auto kShiftOf = [](std::uint32_t language) -> const Gsm7Table & { return kShiftTables[language]; };
constexpr std::array<ReverseTable, kLanguages> kLockingReverse = reverse_tables(kLockingOf);
constexpr std::array<ReverseTable, kLanguages> kShiftReverse = reverse_tables(kShiftOf);

std::uint8_t find_code(const ReverseTable &table, char32_t cp) {
    const auto end = table.beyond_ascii.begin() + table.count;
    const auto at = std::lower_bound(table.beyond_ascii.begin(), end, Gsm7Entry{static_cast<char16_t>(cp), 0});
    return at != end && at->character == cp ? at->code : kGsm7NoCode;
}

// Every character of any table with the tables that hold it, sorted by character.
struct PresenceEntry {
    char16_t character;
    Gsm7Presence presence;
};
struct PresenceIndex {
    std::array<PresenceEntry, 2 * kLanguages * 128> entries{};
    std::uint32_t count = 0;
};

constexpr PresenceIndex kPresenceOfAll = [] {
    PresenceIndex index;
    std::array<Gsm7Entry, 2 * kLanguages * 128> all{};  // code: language, bit 7 for a shift table
    std::uint32_t n = 0;
    for (std::uint32_t language = 0; language < kLanguages; ++language)
        for (std::uint32_t code = 0; code < 128; ++code) {
            if (kHasLockingTable[language] && kLockingTables[language][code] != 0)
                all[n++] = {kLockingTables[language][code], static_cast<std::uint8_t>(language)};
            if (kShiftTables[language][code] != 0)
                all[n++] = {kShiftTables[language][code], static_cast<std::uint8_t>(0x80 | language)};
        }
    std::sort(all.begin(), all.begin() + n);
    for (std::uint32_t i = 0; i < n; ++i) {
        if (index.count == 0 || index.entries[index.count - 1].character != all[i].character)
            index.entries[index.count++].character = all[i].character;
        Gsm7Presence &presence = index.entries[index.count - 1].presence;
        const auto bit = static_cast<std::uint16_t>(1u << (all[i].code & 0x7F));
        (all[i].code & 0x80 ? presence.shift : presence.locking) |= bit;
    }
    return index;
}();

constexpr auto kPresence = [] {
    std::array<PresenceEntry, kPresenceOfAll.count> entries{};
    std::copy_n(kPresenceOfAll.entries.begin(), entries.size(), entries.begin());
    return entries;
}();

}  // namespace

constexpr Gsm7AsciiCodes kGsm7LockingAscii = ascii_codes(kLockingOf);
constexpr Gsm7AsciiCodes kGsm7ShiftAscii = ascii_codes(kShiftOf);

bool has_locking_table(std::uint32_t id) { return id < kLanguages && kHasLockingTable[id]; }

Gsm7Code gsm7_code_slow(char32_t cp, Gsm7Language language) {
    if (cp < 0x80)
        return gsm7_code(cp, language);
    if (cp > 0xFFFF)
        return {};
    if (const std::uint8_t code = find_code(kLockingReverse[language.locking], cp); code != kGsm7NoCode)
        return {code, 1};
    if (const std::uint8_t code = find_code(kShiftReverse[language.shift], cp); code != kGsm7NoCode)
        return {code, 2};
    return {};
}

Gsm7Presence gsm7_presence(char32_t cp) {
    const auto end = kPresence.end();
    const auto at = std::lower_bound(kPresence.begin(), end, cp,
                                     [](const PresenceEntry &e, char32_t c) { return e.character < c; });
    return at != end && at->character == cp ? at->presence : Gsm7Presence{};
}

std::size_t gsm7_to_utf8(std::span<const std::uint8_t> codes, Gsm7Language language, char *out) {
    const Utf8Table &locking = kLockingUtf8[known_language(language.locking) ? language.locking : 0];
    const Utf8Table &shift = kShiftUtf8[known_language(language.shift) ? language.shift : 0];
    std::size_t written = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
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
