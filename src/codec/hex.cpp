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
// 32 characters that are all hex digits, of either case, as 16 octets; false when any of
// them is not a hex digit. parse_sixteen twice over, in one step.
__attribute__((target("avx2"))) bool parse_thirty_two(const char *text, unsigned char *octets) {
    const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(text));
    const __m256i decimal = _mm256_sub_epi8(chars, _mm256_set1_epi8('0'));
    const __m256i letter = _mm256_sub_epi8(_mm256_or_si256(chars, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i is_decimal = _mm256_cmpeq_epi8(_mm256_subs_epu8(decimal, _mm256_set1_epi8(9)), _mm256_setzero_si256());
    const __m256i is_letter = _mm256_cmpeq_epi8(_mm256_subs_epu8(letter, _mm256_set1_epi8(5)), _mm256_setzero_si256());
    if (_mm256_movemask_epi8(_mm256_or_si256(is_decimal, is_letter)) != -1)
        return false;
    const __m256i values = _mm256_or_si256(_mm256_and_si256(is_decimal, decimal),
                                           _mm256_and_si256(is_letter, _mm256_add_epi8(letter, _mm256_set1_epi8(10))));
    const __m256i joined = _mm256_or_si256(_mm256_and_si256(_mm256_slli_epi16(values, 4), _mm256_set1_epi16(0x00FF)),
                                           _mm256_srli_epi16(values, 8));
    // Packing works within each 128-bit half; the two halves' eight octets are then joined.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(joined, joined), 0x08);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(octets), _mm256_castsi256_si128(packed));
    return true;
}

// parse_digit_pairs' leading groups of 16 octets; a last group that overlaps the one before
// takes the rest when there are 16 pairs or more (converting an octet twice changes nothing).
__attribute__((target("avx2"))) std::uint32_t parse_thirty_twos(const char *text, std::uint32_t pairs,
                                                                unsigned char *octets) {
    std::uint32_t i = 0;
    while (i + 16 <= pairs && parse_thirty_two(text + 2 * i, octets + i))
        i += 16;
    if (i + 16 > pairs && i < pairs && pairs >= 16 && parse_thirty_two(text + 2 * (pairs - 16), octets + pairs - 16))
        i = pairs;
    return i;
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
        i = parse_thirty_twos(text, pairs, octets);
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
