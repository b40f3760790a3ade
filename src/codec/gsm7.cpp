#include "codec/gsm7.h"

#include <array>
#include <cstring>

#include "codec/gsm7_tables.h"
#include "codec/utf8.h"

namespace velmora {
namespace {

constexpr std::uint8_t kEscapeCode = 0x1B;

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
        const Gsm7Table &table = kLockingTables[kHasLockingTable[language] ? language : 0];
        for (std::uint32_t code = 0; code < 128; ++code)
            tables[language][code] = utf8_char(code == kEscapeCode ? U' '
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

}  // namespace

std::size_t gsm7_to_utf8(std::span<const std::uint8_t> codes, Gsm7Language language, char *out) {
    const Utf8Table &locking = kLockingUtf8[known_language(language.locking) ? language.locking : 0];
    const Utf8Table &shift = kShiftUtf8[known_language(language.shift) ? language.shift : 0];
    std::size_t written = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const std::uint8_t code = codes[i] & 0x7F;
        Utf8Char c = locking[code];
        if (code == kEscapeCode && i + 1 < codes.size()) {
            const std::uint8_t escaped = codes[++i] & 0x7F;
            c = shift[escaped].length != 0 ? shift[escaped] : locking[escaped];
        }
        std::memcpy(out + written, c.bytes.data(), c.bytes.size());
        written += c.length;
    }
    return written;
}

}  // namespace velmora
