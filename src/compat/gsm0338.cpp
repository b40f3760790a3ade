// SPDX-License-Identifier: Apache-2.0
// The exported conversions between 8-bit text and GSM 7-bit codes, one code per byte.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "compat/alphabet_tables.h"
#include "compat/trace.h"
#include "velmora.h"

extern "C" const unsigned char eESCAPE = velmora::protocol::kEscape;

namespace velmora::compat {
namespace {

using protocol::kEscape;

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
        if (const auto escaped = find_character(kEscapedEightBit, byte))
            table[byte] = {static_cast<std::uint8_t>(*escaped), Mapping::Escaped};
        else if (const auto code = find_character(kCodeOfEightBit, byte))
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
        for (const CharCode &entry : kEscapedEightBit)
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
        table[code] = code < 128 ? static_cast<unsigned char>(kEightBitOfCode[code]) : kUnknown;
    return table;
}();

// Characters 0x20-0x7A other than '$', '@' and '[' to '`': each is its own GSM code
// and that code decodes back to it, as the tables confirm below.
constexpr bool plain_ascii(std::uint32_t c) {
    return c >= 0x20 && c <= 0x7A && c != 0x24 && c != 0x40 && !(c >= 0x5B && c <= 0x60);
}

constexpr bool plain_ascii_maps_to_itself() {
    for (std::uint32_t c = 0; c < 256; ++c)
        if (plain_ascii(c) && (kEncoding[c].mapping == Mapping::Escaped || kEncoding[c].code != c ||
                               kDecodedChar[c] != c || c == kEscape))
            return false;
    return true;
}
static_assert(plain_ascii_maps_to_itself());

// Whether two byte ranges share memory; conversions between them keep their plain order.
bool overlapping(const void *a, std::size_t a_size, const void *b, std::size_t b_size) {
    const auto a_start = reinterpret_cast<std::uintptr_t>(a);
    const auto b_start = reinterpret_cast<std::uintptr_t>(b);
    return a_start < b_start + b_size && b_start < a_start + a_size;
}

// Bit k set when byte k of the sixteen from `bytes` on is plain_ascii.
std::uint32_t plain_ascii_mask(const unsigned char *bytes) {
#if defined(__SSE2__)
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes));
    const __m128i zero = _mm_setzero_si128();
    // Unsigned ranges: the saturating subtraction leaves 0 exactly for the values in range.
    const __m128i in_range =
        _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(c, _mm_set1_epi8(0x20)), _mm_set1_epi8(0x7A - 0x20)), zero);
    const __m128i brackets =
        _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(c, _mm_set1_epi8(0x5B)), _mm_set1_epi8(0x60 - 0x5B)), zero);
    const __m128i excluded =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(c, _mm_set1_epi8(0x24)), _mm_cmpeq_epi8(c, _mm_set1_epi8(0x40))),
                     brackets);
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_andnot_si128(excluded, in_range)));
#else
    std::uint32_t mask = 0;
    for (std::uint32_t k = 0; k < 16; ++k)
        mask |= static_cast<std::uint32_t>(plain_ascii(bytes[k])) << k;
    return mask;
#endif
}

// Copies all sixteen bytes from `from` (those past the leading plain run are for the
// caller to write again or clear) and returns the length of that run.
std::uint32_t copy_plain_run(const unsigned char *from, unsigned char *to) {
    const std::uint32_t plain = plain_ascii_mask(from);
    std::memcpy(to, from, 16);
    return static_cast<std::uint32_t>(std::countr_one(plain));
}

// The conversion without tracing, written straight into out while the codes fit in
// min(cap, 1837): the codes, then zeros up to cap. Nullopt, with out written over,
// when they do not fit and the result needs the cut at cap.
std::optional<std::uint32_t> encode_direct(const unsigned char *chars, std::uint32_t length, unsigned char *out,
                                           std::uint32_t cap) {
    const std::uint32_t limit = std::min(cap, kMaxCodes);
    std::uint32_t n = 0;
    std::uint32_t i = 0;
    while (i < length) {
        if (i + 16 <= length && n + 16 <= limit) {
            const std::uint32_t run = copy_plain_run(chars + i, out + n);
            i += run;
            n += run;
            if (run == 16)
                continue;
        }
        const Encoding encoding = kEncoding[chars[i++]];
        if (encoding.mapping == Mapping::Escaped) {
            if (n + 2 > limit)
                return std::nullopt;
            out[n++] = kEscape;
        } else if (n + 1 > limit) {
            return std::nullopt;
        }
        out[n++] = encoding.code;
    }
    std::memset(out + n, 0, cap - n);
    return n;
}

// Trace dump of octets as hex; empty when it would not fit the 1837-character area.
struct HexDump {
    char text[kMaxCodes] = {};
    HexDump(const unsigned char *octets, std::uint32_t count) {
        convert_hexarray_to_bytestr(octets, count, text, sizeof text);
    }
    long length() const { return static_cast<long>(std::strlen(text)); }
};

}  // namespace

}  // namespace velmora::compat

using namespace velmora::compat;

extern "C" unsigned char esc_decode_to_ascii_char(const unsigned char *code) { return kExtensionChar[*code]; }

extern "C" std::uint32_t encode_ascii_to_gsm0338(const char *text, std::uint32_t length, unsigned char *out,
                                                 std::uint32_t cap, int debug) {
    static constexpr const char *kName = "encode_ascii_to_gsm0338";
    if (cap < kMinEncodeCapacity || length > kMaxEncodeLength)
        return 0;
    const auto *chars = reinterpret_cast<const unsigned char *>(text);
    if (!debug && !overlapping(chars, length, out, cap)) {
        if (const auto n = encode_direct(chars, length, out, cap))
            return *n;
    }
    if (debug) {
        const HexDump before(chars, length);
        VELMORA_TRACE(debug, kName, TracePoint::kGsmEncodeBefore, " data before = %s, length %ld\n", before.text,
                      before.length());
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
            VELMORA_TRACE(debug, kName, TracePoint::kGsmEncodeEscape, "Appending character ESC 0x%02X\n", kEscape);
            codes[n++] = kEscape;
        } else if (encoding.mapping == Mapping::Table && encoding.code != byte) {
            VELMORA_TRACE(debug, kName, TracePoint::kGsmEncodeChanged, "Changing char from 0x%02X to 0x%02X\n", byte,
                          encoding.code);
        }
        VELMORA_TRACE(debug, kName, TracePoint::kGsmEncodeAppend, "Appending character 0x%02X\n", encoding.code);
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
        VELMORA_TRACE(debug, kName, TracePoint::kGsmEncodeAfter, " data after = %s, length = %d (%ld)\n", after.text,
                      static_cast<int>(n), after.length());
    }
    return n;
}

extern "C" std::uint32_t decode_gsm0338_to_ascii(const unsigned char *codes, std::uint32_t count, char *out,
                                                 std::uint32_t cap) {
    if (cap < kMaxDecodedChars)
        return 0;
    // A character starts only below position 161; an ESC there may still take the code after it.
    const std::uint32_t starts = std::min(count, kMaxDecodedChars);
    // Codes inside out are read after out is cleared, one at a time.
    const bool in_place = overlapping(codes, count, out, cap);
    if (in_place)
        std::memset(out, 0, cap);
    std::uint32_t produced = 0;
    std::uint32_t i = 0;
    while (i < starts) {
        if (i + 16 <= starts && !in_place) {
            const std::uint32_t run = copy_plain_run(codes + i, reinterpret_cast<unsigned char *>(out) + produced);
            i += run;
            produced += run;
            if (run == 16)
                continue;
        }
        unsigned char character;
        if (codes[i] == kEscape) {
            ++i;
            character = i < count ? kExtensionChar[codes[i]] : kUnknown;
        } else {
            character = kDecodedChar[codes[i]];
        }
        out[produced++] = static_cast<char>(character);
        ++i;
    }
    // The rest of out is cleared, as if all of it had been cleared first.
    if (!in_place)
        std::memset(out + produced, 0, cap - produced);
    return produced;
}
