// SPDX-License-Identifier: Apache-2.0
#include "codec/hex.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codec/cpu.h"
#if defined(VELMORA_X86_DISPATCH)
#include <immintrin.h>
#endif

namespace velmora {
namespace {

// Both digits of every octet, high nibble first.
constexpr std::array<std::array<char, 2>, 256> kOctetDigits = [] {
    std::array<std::array<char, 2>, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = {hexchar[b >> 4], hexchar[b & 0x0F]};
    return table;
}();

#if defined(__SSE2__)
// Digit characters of sixteen nibbles: '0' + n, and 7 more for the letters A-F.
__m128i nibble_digits(__m128i nibbles) {
    const __m128i letters = _mm_and_si128(_mm_cmpgt_epi8(nibbles, _mm_set1_epi8(9)), _mm_set1_epi8('A' - '9' - 1));
    return _mm_add_epi8(_mm_add_epi8(nibbles, _mm_set1_epi8('0')), letters);
}

// Sixteen characters that are all hex digits, of either case, as eight octets;
// false when any of them is not a hex digit.
bool parse_sixteen(const char *text, unsigned char *octets) {
    const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
    const __m128i decimal = _mm_sub_epi8(chars, _mm_set1_epi8('0'));
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(chars, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    // Unsigned "at most": saturating subtraction leaves 0 exactly for the values in range.
    const __m128i is_decimal = _mm_cmpeq_epi8(_mm_subs_epu8(decimal, _mm_set1_epi8(9)), _mm_setzero_si128());
    const __m128i is_letter = _mm_cmpeq_epi8(_mm_subs_epu8(letter, _mm_set1_epi8(5)), _mm_setzero_si128());
    if (_mm_movemask_epi8(_mm_or_si128(is_decimal, is_letter)) != 0xFFFF)
        return false;
    const __m128i values = _mm_or_si128(_mm_and_si128(is_decimal, decimal),
                                        _mm_and_si128(is_letter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
    // Each 16-bit lane holds a pair, its first (high-nibble) digit in the low byte.
    const __m128i pairs = _mm_or_si128(_mm_and_si128(_mm_slli_epi16(values, 4), _mm_set1_epi16(0x00FF)),
                                       _mm_srli_epi16(values, 8));
    _mm_storel_epi64(reinterpret_cast<__m128i *>(octets), _mm_packus_epi16(pairs, pairs));
    return true;
}
#endif

#if defined(VELMORA_X86_DISPATCH)
// A character is a hex digit when the classes of its two nibbles share a bit: bit 0 for
// '0'-'9' (high nibble 3, low 0-9), bit 1 for 'A'-'F' and 'a'-'f' (high 4 or 6, low 1-6).
// A letter's value is its low nibble plus 9.
alignas(16) constexpr std::uint8_t kHighNibbleClass[16] = {0, 0, 0, 1, 2, 0, 2};
alignas(16) constexpr std::uint8_t kLowNibbleClass[16] = {1, 3, 3, 3, 3, 3, 3, 1, 1, 1};
alignas(16) constexpr std::uint8_t kHighNibbleAdd[16] = {0, 0, 0, 0, 9, 0, 9};

__attribute__((target("avx2"))) __m256i both_lanes(const std::uint8_t (&table)[16]) {
    return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(table)));
}

// 32 characters as 16 octets, each in the low byte of a 16-bit lane; the lanes of
// characters that are not hex digits set in `not_hex`.
__attribute__((target("avx2"))) __m256i octet_lanes(const char *text, __m256i &not_hex) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(text));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(chars, 4), nibble);
    const __m256i low = _mm256_and_si256(chars, nibble);
    const __m256i shared = _mm256_and_si256(_mm256_shuffle_epi8(both_lanes(kHighNibbleClass), high),
                                            _mm256_shuffle_epi8(both_lanes(kLowNibbleClass), low));
    not_hex = _mm256_or_si256(not_hex, _mm256_cmpeq_epi8(shared, _mm256_setzero_si256()));
    const __m256i values = _mm256_add_epi8(low, _mm256_shuffle_epi8(both_lanes(kHighNibbleAdd), high));
    // First digit of a pair times 16, plus the second.
    return _mm256_maddubs_epi16(values, _mm256_set1_epi16(0x0110));
}

// 64 characters that are all hex digits, of either case, as 32 octets; false when any of
// them is not a hex digit. Packing works within each 128-bit half, so the halves'
// quarters are put back in order.
__attribute__((target("avx2"))) bool parse_sixty_four(const char *text, unsigned char *octets) {
    __m256i not_hex = _mm256_setzero_si256();
    const __m256i first = octet_lanes(text, not_hex), second = octet_lanes(text + 32, not_hex);
    if (!_mm256_testz_si256(not_hex, not_hex))
        return false;
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(octets), packed);
    return true;
}

// 32 characters that are all hex digits as 16 octets; false when any of them is not one.
__attribute__((target("avx2"))) bool parse_thirty_two(const char *text, unsigned char *octets) {
    __m256i not_hex = _mm256_setzero_si256();
    const __m256i lanes = octet_lanes(text, not_hex);
    if (!_mm256_testz_si256(not_hex, not_hex))
        return false;
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lanes, lanes), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(octets), _mm256_castsi256_si128(packed));
    return true;
}

// parse_digit_pairs' leading groups of 32 octets; a last group of 16 or 32 that overlaps the
// one before takes the rest when there are 32 pairs or more (converting an octet twice
// changes nothing).
// From 16 to 31 pairs, two groups of 16 the same way.
__attribute__((target("avx2"))) std::uint32_t parse_sixty_fours(const char *text, std::uint32_t pairs,
                                                                unsigned char *octets) {
    if (pairs < 32)
        return pairs >= 16 && parse_thirty_two(text, octets) &&
                       parse_thirty_two(text + 2 * (pairs - 16), octets + pairs - 16)
                   ? pairs
                   : 0;
    std::uint32_t i = 0;
    while (i + 32 <= pairs && parse_sixty_four(text + 2 * i, octets + i))
        i += 32;
    if (i + 32 <= pairs || i == pairs)
        return i;  // stopped at a character that is not a hex digit, or done
    const bool rest = pairs - i <= 16 ? parse_thirty_two(text + 2 * (pairs - 16), octets + pairs - 16)
                                      : parse_sixty_four(text + 2 * (pairs - 32), octets + pairs - 32);
    return rest ? pairs : i;
}
#endif

}  // namespace

std::uint32_t parse_digit_pairs(const char *text, std::uint32_t pairs, unsigned char *octets) {
    return parse_digit_pairs(text, pairs, octets, best_vectors());
}

std::uint32_t parse_digit_pairs(const char *text, std::uint32_t pairs, unsigned char *octets,
                                [[maybe_unused]] Vectors vectors) {
    std::uint32_t i = 0;
#if defined(VELMORA_X86_DISPATCH)
    if (vectors == Vectors::Avx2)
        i = parse_sixty_fours(text, pairs, octets);
#endif
#if defined(__SSE2__)
    while (vectors != Vectors::Portable && i + 8 <= pairs && parse_sixteen(text + 2 * i, octets + i))
        i += 8;
#endif
    for (; i < pairs; ++i) {
        const int high = hex_digit(text[2 * i]);
        const int low = hex_digit(text[2 * i + 1]);
        if ((high | low) < 0)
            break;
        octets[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return i;
}

void render_hex(const unsigned char *octets, std::uint32_t count, char *text) {
    std::uint32_t i = 0;
#if defined(__SSE2__)
    // Sixteen octets at a time: nibbles split, interleaved high first, mapped to digits.
    for (; i + 16 <= count; i += 16) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i *>(octets + i));
        const __m128i high = _mm_and_si128(_mm_srli_epi16(in, 4), _mm_set1_epi8(0x0F));
        const __m128i low = _mm_and_si128(in, _mm_set1_epi8(0x0F));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(text + 2 * i), nibble_digits(_mm_unpacklo_epi8(high, low)));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(text + 2 * i + 16),
                         nibble_digits(_mm_unpackhi_epi8(high, low)));
    }
#endif
    for (; i < count; ++i)
        std::memcpy(text + 2 * i, kOctetDigits[octets[i]].data(), 2);
}

}  // namespace velmora
