#include "codec/alphabet.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

#include "codec/alphabet_tables.h"
#include "codec/trace.h"
#include "velmora.h"

extern "C" const unsigned char eESCAPE = velmora::kEscape;

namespace velmora {
namespace {

constexpr std::uint32_t kMaxCodes = 1837;        // work area of one conversion
constexpr std::uint32_t kMinEncodeCapacity = 918;
constexpr std::uint32_t kMaxEncodeLength = 1836;
constexpr std::uint32_t kMaxDecodedChars = 161;
constexpr unsigned char kUnknown = '?';

enum class Mapping : std::uint8_t { Escaped, Table, PassThrough };

struct Encoding {
    std::uint8_t code;
    Mapping mapping;
};

// Code of the first entry holding the character. A code, not a pointer: GCC's
// -fsanitize=null cannot evaluate a table element's address against null at compile time.
constexpr std::optional<std::uint32_t> find_character(const auto &table, std::uint32_t character) {
    for (const CharCode &entry : table)
        if (entry.character == character)
            return entry.code;
    return std::nullopt;
}

// The searches of the alphabet tables, done once at compile time for every byte:
// the extension table first, then the first default-alphabet entry holding the byte.
constexpr std::array<Encoding, 256> kEncoding = [] {
    std::array<Encoding, 256> table{};
    for (std::uint32_t byte = 0; byte < 256; ++byte) {
        if (const auto escaped = find_character(g_S_ascii2GSM338_escaped, byte))
            table[byte] = {static_cast<std::uint8_t>(*escaped), Mapping::Escaped};
        else if (const auto code = find_character(g_S_ASCII2GSM, byte))
            table[byte] = {static_cast<std::uint8_t>(*code), Mapping::Table};
        else
            table[byte] = {static_cast<std::uint8_t>(byte), Mapping::PassThrough};
    }
    return table;
}();

// Character of every extension code, '?' where the extension table has none.
constexpr std::array<unsigned char, 256> kExtensionChar = [] {
    std::array<unsigned char, 256> table{};
    table.fill(kUnknown);
    for (std::uint32_t code = 0; code < 256; ++code)
        for (const CharCode &entry : g_S_ascii2GSM338_escaped)
            if (entry.code == code) {
                table[code] = static_cast<unsigned char>(entry.character);
                break;
            }
    return table;
}();

// Character of every code byte; codes 128 and above are not GSM codes and read as '?'.
constexpr std::array<unsigned char, 256> kDecodedChar = [] {
    std::array<unsigned char, 256> table{};
    for (std::uint32_t code = 0; code < 256; ++code)
        table[code] = code < 128 ? static_cast<unsigned char>(g_S_GSM2ASCII[code]) : kUnknown;
    return table;
}();

// Trace dump of octets as hex; empty when it would not fit the 1837-character area.
struct HexDump {
    char text[kMaxCodes] = {};
    HexDump(const unsigned char *octets, std::uint32_t count) {
        convert_hexarray_to_bytestr(octets, count, text, sizeof text);
    }
    long length() const { return static_cast<long>(std::strlen(text)); }
};

}  // namespace

int esc_encode_ascii_char(unsigned char *c) {
    const Encoding &encoding = kEncoding[*c];
    if (encoding.mapping != Mapping::Escaped)
        return 0;
    *c = encoding.code;
    return 1;
}

}  // namespace velmora

using namespace velmora;

extern "C" unsigned char esc_decode_to_ascii_char(const unsigned char *code) { return kExtensionChar[*code]; }

extern "C" std::uint32_t encode_ascii_to_gsm0338(const char *text, std::uint32_t length, unsigned char *out,
                                                 std::uint32_t cap, int debug) {
    static constexpr const char *kName = "encode_ascii_to_gsm0338";
    if (cap < kMinEncodeCapacity || length > kMaxEncodeLength)
        return 0;
    const auto *chars = reinterpret_cast<const unsigned char *>(text);
    if (debug) {
        const HexDump before(chars, length);
        VELMORA_TRACE(debug, kName, 293, " data before = %s, length %ld\n", before.text, before.length());
    }

    unsigned char codes[kMaxCodes];
    std::uint32_t n = 0;
    for (std::uint32_t i = 0; i < length; ++i) {
        const unsigned char byte = chars[i];
        const Encoding encoding = kEncoding[byte];
        const bool escaped = encoding.mapping == Mapping::Escaped;
        if (n + (escaped ? 2 : 1) > kMaxCodes)
            break;
        if (escaped) {
            VELMORA_TRACE(debug, kName, 308, "Appending character ESC 0x%02X\n", kEscape);
            codes[n++] = kEscape;
        } else if (encoding.mapping == Mapping::Table && encoding.code != byte) {
            VELMORA_TRACE(debug, kName, 325, "Changing char from 0x%02X to 0x%02X\n", byte, encoding.code);
        }
        VELMORA_TRACE(debug, kName, 335, "Appending character 0x%02X\n", encoding.code);
        codes[n++] = encoding.code;
    }
    if (n > cap) {
        n = cap;
        if (codes[n - 1] == kEscape)  // never end on an ESC without its extension code
            --n;
    }
    std::memcpy(out, codes, n);
    std::memset(out + n, 0, cap - n);

    if (debug) {
        const HexDump after(out, cap);
        VELMORA_TRACE(debug, kName, 363, " data after = %s, length = %d (%ld)\n", after.text, static_cast<int>(n),
                      after.length());
    }
    return n;
}

extern "C" std::uint32_t decode_gsm0338_to_ascii(const unsigned char *codes, std::uint32_t count, char *out,
                                                 std::uint32_t cap) {
    if (cap < kMaxDecodedChars)
        return 0;
    std::memset(out, 0, cap);
    std::uint32_t produced = 0;
    // A character starts only below position 161; an ESC there may still take the code after it.
    for (std::uint32_t i = 0; i < count && i < kMaxDecodedChars; ++i, ++produced) {
        unsigned char character;
        if (codes[i] == kEscape) {
            ++i;
            character = i < count ? kExtensionChar[codes[i]] : kUnknown;
        } else {
            character = kDecodedChar[codes[i]];
        }
        out[produced] = static_cast<char>(character);
    }
    return produced;
}
