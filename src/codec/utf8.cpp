// SPDX-License-Identifier: Apache-2.0
#include "codec/utf8.h"

#include <array>
#include <bit>
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

constexpr bool surrogate(char32_t unit) { return unit - 0xD800 < 0x800; }
constexpr bool high_surrogate(char32_t unit) { return unit - 0xD800 < 0x400; }
constexpr bool low_surrogate(char32_t unit) { return unit - 0xDC00 < 0x400; }

#if defined(__SSE2__)
// Eight UTF-16 units in host order, with a mask of their ASCII units, 16 bits each, and a
// bit for each ASCII unit; `short_only` when none is U+0800 or more.
struct EightUnits {
    __m128i units, ascii;
    unsigned ascii_units;
    bool short_only;
};

inline EightUnits eight_units(const std::uint8_t *octets) {
    const __m128i be = _mm_loadu_si128(reinterpret_cast<const __m128i *>(octets));
    const __m128i units = _mm_or_si128(_mm_slli_epi16(be, 8), _mm_srli_epi16(be, 8));
    // Signed compares: units of U+8000 and above are negative and fail the second test.
    const __m128i non_negative = _mm_cmpgt_epi16(units, _mm_set1_epi16(-1));
    const __m128i ascii = _mm_and_si128(_mm_cmplt_epi16(units, _mm_set1_epi16(0x80)), non_negative);
    const __m128i short_units = _mm_and_si128(_mm_cmplt_epi16(units, _mm_set1_epi16(0x800)), non_negative);
    return {units, ascii, static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii, _mm_setzero_si128()))),
            _mm_movemask_epi8(short_units) == 0xFFFF};
}

// Runs of eight units below U+0800 (16 octets) become UTF-8 eight at a time: each unit as
// its two-byte form, lead byte first, then the second byte of every ASCII unit dropped.
// `Compact` does the dropping: compact(pairs, mask of ASCII units, out) stores up to 16
// bytes and returns how many count. Starting at octet `i`, returns the octet it got to;
// stops at the first run holding a unit of U+0800 or more. Inlined, so that `compact`,
// compiled for the caller's instruction set, is inlined too.
template <class Compact>
__attribute__((always_inline)) inline std::size_t short_unit_runs(const std::uint8_t *octets, std::size_t n,
                                                                  std::size_t i, char *out, std::size_t &written_so_far,
                                                                  Compact compact) {
    std::size_t written = written_so_far;  // a local: the stores through `out` could alias the caller's
    const std::size_t end = n & ~std::size_t{1};
    while (i + 16 <= n || (i < end && end >= 16)) {
        // Fewer than eight units left after some written here or before: the eight that end
        // them, whose first ones are written again, over their own bytes.
        const bool last = i + 16 > n;
        const std::size_t at = last ? end - 16 : i;
        const EightUnits block = eight_units(octets + at);
        if (!block.short_only)
            break;
        if (last) {
            const auto again = static_cast<unsigned>((i - at) / 2);
            written -= 2 * again - static_cast<std::size_t>(std::popcount(block.ascii_units & ((1u << again) - 1)));
        }
        i = at + 16;
        if (block.ascii_units == 0xFF) {
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out + written), _mm_packus_epi16(block.units, block.units));
            written += 8;
            continue;
        }
        const __m128i lead = _mm_or_si128(_mm_and_si128(block.ascii, block.units),
                                          _mm_andnot_si128(block.ascii, _mm_or_si128(_mm_srli_epi16(block.units, 6),
                                                                                     _mm_set1_epi16(0xC0))));
        const __m128i trail = _mm_or_si128(_mm_and_si128(block.units, _mm_set1_epi16(0x3F)), _mm_set1_epi16(0x80));
        written += compact(_mm_or_si128(lead, _mm_slli_epi16(trail, 8)), block.ascii_units, out + written);
    }
    written_so_far = written;
    return i;
}

std::size_t short_unit_runs_sse2(const std::uint8_t *octets, std::size_t n, char *out, std::size_t &written) {
    return short_unit_runs(octets, n, 0, out, written, [](__m128i pairs, unsigned ascii_units, char *to) {
        alignas(16) std::uint8_t bytes[16];
        _mm_store_si128(reinterpret_cast<__m128i *>(bytes), pairs);
        std::size_t kept = 0;
        for (unsigned k = 0; k < 8; ++k) {
            std::memcpy(to + kept, bytes + 2 * k, 2);  // a dropped byte is written over next
            kept += 2 - (ascii_units >> k & 1);
        }
        return kept;
    });
}

#if defined(VELMORA_X86_DISPATCH)
// For each mask of ASCII units, the shuffle that keeps the bytes wanted, in order, and
// their count.
struct KeptBytes {
    std::array<std::uint8_t, 16> shuffle;
    std::size_t count;
};
constexpr std::array<KeptBytes, 256> kKeptBytes = [] {
    std::array<KeptBytes, 256> table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        KeptBytes &kept = table[mask];
        for (std::uint8_t k = 0; k < 8; ++k) {
            kept.shuffle[kept.count++] = static_cast<std::uint8_t>(2 * k);
            if (!(mask >> k & 1))
                kept.shuffle[kept.count++] = static_cast<std::uint8_t>(2 * k + 1);
        }
        for (std::size_t rest = kept.count; rest < 16; ++rest)
            kept.shuffle[rest] = 0x80;  // pshufb writes 0
    }
    return table;
}();

// The dropping for SSSE3 and up: one shuffle from the table.
__attribute__((target("ssse3"), always_inline)) inline std::size_t keep_bytes(__m128i pairs, unsigned ascii_units,
                                                                              char *to) {
    const KeptBytes &kept = kKeptBytes[ascii_units];
    const __m128i shuffle = _mm_loadu_si128(reinterpret_cast<const __m128i *>(kept.shuffle.data()));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(to), _mm_shuffle_epi8(pairs, shuffle));
    return kept.count;
}

__attribute__((target("ssse3"))) std::size_t short_unit_runs_ssse3(const std::uint8_t *octets, std::size_t n,
                                                                     char *out, std::size_t &written) {
    return short_unit_runs(octets, n, 0, out, written,
                           [](__m128i pairs, unsigned ascii_units, char *to)
                               __attribute__((target("ssse3"))) { return keep_bytes(pairs, ascii_units, to); });
}

// The same sixteen units at a time, one 128-bit half of eight after the other, then the
// rest eight at a time, also in AVX encoding: SSE code after AVX code that leaves the upper
// halves in use stalls.
__attribute__((target("avx2"))) std::size_t short_unit_runs_avx2(const std::uint8_t *octets, std::size_t n,
                                                                   char *out, std::size_t &written_so_far) {
    std::size_t written = written_so_far;  // a local: the stores through `out` could alias the caller's
    std::size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m256i be = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(octets + i));
        const __m256i units = _mm256_or_si256(_mm256_slli_epi16(be, 8), _mm256_srli_epi16(be, 8));
        const __m256i non_negative = _mm256_cmpgt_epi16(units, _mm256_set1_epi16(-1));
        const __m256i ascii = _mm256_and_si256(_mm256_cmpgt_epi16(_mm256_set1_epi16(0x80), units), non_negative);
        const __m256i short_units = _mm256_and_si256(_mm256_cmpgt_epi16(_mm256_set1_epi16(0x800), units), non_negative);
        if (_mm256_movemask_epi8(short_units) != -1)
            break;
        const __m256i lead = _mm256_or_si256(
            _mm256_and_si256(ascii, units),
            _mm256_andnot_si256(ascii, _mm256_or_si256(_mm256_srli_epi16(units, 6), _mm256_set1_epi16(0xC0))));
        const __m256i trail = _mm256_or_si256(_mm256_and_si256(units, _mm256_set1_epi16(0x3F)), _mm256_set1_epi16(0x80));
        const auto masks = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_packs_epi16(ascii, _mm256_setzero_si256())));
        const KeptBytes &low = kKeptBytes[masks & 0xFF], &high = kKeptBytes[masks >> 16 & 0xFF];
        const __m256i shuffle =
            _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(low.shuffle.data()))),
                                    _mm_loadu_si128(reinterpret_cast<const __m128i *>(high.shuffle.data())), 1);
        const __m256i kept = _mm256_shuffle_epi8(_mm256_or_si256(lead, _mm256_slli_epi16(trail, 8)), shuffle);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + written), _mm256_castsi256_si128(kept));
        written += low.count;
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + written), _mm256_extracti128_si256(kept, 1));
        written += high.count;
    }
    written_so_far = written;
    return short_unit_runs(octets, n, i, out, written_so_far,
                           [](__m128i pairs, unsigned ascii_units, char *to)
                               __attribute__((target("avx2"))) { return keep_bytes(pairs, ascii_units, to); });
}
#endif
#endif

#if defined(__SSE2__)
// Sixteen bytes of UTF-8 as far as they hold characters of one or two bytes: `take`
// bytes of whole characters (stopping before a longer one, or before a lead byte whose
// second byte lies beyond), `keep` marking those that start a character.
struct ShortCharacters {
    __m128i bytes;
    unsigned keep;
    unsigned take;
    bool longer;  // a character of three or four bytes stops the block
};

inline ShortCharacters short_characters(const std::uint8_t *text) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text));
    const auto mask = [](__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); };
    const __m128i top3 = _mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xE0)));
    const unsigned longer = mask(_mm_cmpeq_epi8(_mm_max_epu8(bytes, _mm_set1_epi8(static_cast<char>(0xE0))), bytes));
    const unsigned lead = mask(_mm_cmpeq_epi8(top3, _mm_set1_epi8(static_cast<char>(0xC0))));
    const unsigned continuation =
        mask(_mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xC0))), _mm_set1_epi8(static_cast<char>(0x80))));
    unsigned take = longer != 0 ? static_cast<unsigned>(__builtin_ctz(longer)) : 16;
    if (take != 0 && (lead >> (take - 1) & 1))
        --take;
    // Each continuation byte must follow a lead byte, and no lead may be overlong (C0, C1):
    // anything else is left to the loop that stops at it.
    const unsigned overlong = mask(_mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xFE))),
                                                  _mm_set1_epi8(static_cast<char>(0xC0))));
    const unsigned within = (1u << take) - 1;
    if ((continuation & within) != (lead & within) << 1 || (overlong & within) != 0)
        take = 0;
    return {bytes, ~continuation & ((1u << take) - 1), take, longer != 0};
}

// Code units of the characters starting at bytes 0-7 (`low`) and 8-15 (`high`), one per
// 16-bit lane: an ASCII byte as it is, a lead byte's five bits and the next byte's six.
inline void short_units(__m128i bytes, __m128i &low, __m128i &high) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i next = _mm_srli_si128(bytes, 1);
    const auto units = [](__m128i b, __m128i n) {
        const __m128i ascii = _mm_cmplt_epi16(b, _mm_set1_epi16(0x80));
        const __m128i two = _mm_or_si128(_mm_slli_epi16(_mm_and_si128(b, _mm_set1_epi16(0x1F)), 6),
                                         _mm_and_si128(n, _mm_set1_epi16(0x3F)));
        return _mm_or_si128(_mm_and_si128(ascii, b), _mm_andnot_si128(ascii, two));
    };
    low = units(_mm_unpacklo_epi8(bytes, zero), _mm_unpacklo_epi8(next, zero));
    high = units(_mm_unpackhi_epi8(bytes, zero), _mm_unpackhi_epi8(next, zero));
}

// Blocks of sixteen bytes while they hold characters of one or two bytes and their units
// fit: `store(block, out)` writes the kept units high octet first and returns their
// count. Returns the bytes read.
template <class Store>
__attribute__((always_inline)) inline std::size_t short_character_runs(const std::uint8_t *text, std::size_t n, std::size_t max_units,
                                        std::uint8_t *out, std::size_t &units_so_far, Store store) {
    std::size_t units = units_so_far;  // a local: the stores through `out` could alias the caller's
    std::size_t i = 0;
    while (i + 16 <= n) {
        ShortCharacters block = short_characters(text + i);
        bool last = block.longer;
        if (const std::size_t room = max_units - units; static_cast<std::size_t>(__builtin_popcount(block.keep)) > room) {
            unsigned rest = block.keep;  // the characters past the room: its lowest bit is the first
            for (std::size_t k = 0; k < room; ++k)
                rest &= rest - 1;
            block.take = static_cast<unsigned>(__builtin_ctz(rest));
            block.keep &= (1u << block.take) - 1;
            last = true;
        }
        if (block.take == 0)
            break;
        units += store(block, out + 2 * units);
        i += block.take;
        if (last)
            break;
    }
    units_so_far = units;
    return i;
}

std::size_t short_character_runs_sse2(const std::uint8_t *text, std::size_t n, std::size_t max_units,
                                      std::uint8_t *out, std::size_t &units) {
    return short_character_runs(text, n, max_units, out, units, [](const ShortCharacters &block, std::uint8_t *to) {
        alignas(16) std::uint16_t lanes[16];
        __m128i low, high;
        short_units(block.bytes, low, high);
        _mm_store_si128(reinterpret_cast<__m128i *>(lanes), low);
        _mm_store_si128(reinterpret_cast<__m128i *>(lanes + 8), high);
        std::size_t kept = 0;
        for (unsigned k = 0; k < 16; ++k)
            if (block.keep >> k & 1) {
                to[2 * kept] = static_cast<std::uint8_t>(lanes[k] >> 8);
                to[2 * kept + 1] = static_cast<std::uint8_t>(lanes[k]);
                ++kept;
            }
        return kept;
    });
}

#if defined(VELMORA_X86_DISPATCH)
// For each mask of kept 16-bit lanes among eight, the shuffle that gathers them in order,
// high octet first.
constexpr std::array<std::array<std::uint8_t, 16>, 256> kKeptUnits = [] {
    std::array<std::array<std::uint8_t, 16>, 256> table{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        std::size_t at = 0;
        for (std::uint8_t k = 0; k < 8; ++k)
            if (mask >> k & 1) {
                table[mask][at++] = static_cast<std::uint8_t>(2 * k + 1);
                table[mask][at++] = static_cast<std::uint8_t>(2 * k);
            }
        for (; at < 16; ++at)
            table[mask][at] = 0x80;
    }
    return table;
}();

__attribute__((target("ssse3"))) std::size_t short_character_runs_ssse3(const std::uint8_t *text, std::size_t n,
                                                                          std::size_t max_units, std::uint8_t *out,
                                                                          std::size_t &units) {
    return short_character_runs(
        text, n, max_units, out, units,
        [](const ShortCharacters &block, std::uint8_t *to) __attribute__((target("ssse3"))) {
            __m128i low, high;
            short_units(block.bytes, low, high);
            const unsigned low_keep = block.keep & 0xFF, high_keep = block.keep >> 8;
            const auto shuffle = [](unsigned keep) {
                return _mm_loadu_si128(reinterpret_cast<const __m128i *>(kKeptUnits[keep].data()));
            };
            const auto low_count = static_cast<std::size_t>(__builtin_popcount(low_keep));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(to), _mm_shuffle_epi8(low, shuffle(low_keep)));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 2 * low_count),
                             _mm_shuffle_epi8(high, shuffle(high_keep)));
            return low_count + static_cast<std::size_t>(__builtin_popcount(high_keep));
        });
}

// The same with the sixteen units in one register, each 128-bit half gathered by its shuffle.
__attribute__((target("avx2"))) std::size_t short_character_runs_avx2(const std::uint8_t *text, std::size_t n,
                                                                        std::size_t max_units, std::uint8_t *out,
                                                                        std::size_t &units) {
    return short_character_runs(
        text, n, max_units, out, units,
        [](const ShortCharacters &block, std::uint8_t *to) __attribute__((target("avx2"))) {
            const __m256i b = _mm256_cvtepu8_epi16(block.bytes);
            const __m256i next = _mm256_cvtepu8_epi16(_mm_srli_si128(block.bytes, 1));
            const __m256i ascii = _mm256_cmpgt_epi16(_mm256_set1_epi16(0x80), b);
            const __m256i two = _mm256_or_si256(_mm256_slli_epi16(_mm256_and_si256(b, _mm256_set1_epi16(0x1F)), 6),
                                                _mm256_and_si256(next, _mm256_set1_epi16(0x3F)));
            const __m256i unit = _mm256_or_si256(_mm256_and_si256(ascii, b), _mm256_andnot_si256(ascii, two));
            const unsigned low_keep = block.keep & 0xFF, high_keep = block.keep >> 8;
            const __m256i shuffle = _mm256_inserti128_si256(
                _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(kKeptUnits[low_keep].data()))),
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(kKeptUnits[high_keep].data())), 1);
            const __m256i kept = _mm256_shuffle_epi8(unit, shuffle);
            const auto low_count = static_cast<std::size_t>(__builtin_popcount(low_keep));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(to), _mm256_castsi256_si128(kept));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(to + 2 * low_count), _mm256_extracti128_si256(kept, 1));
            return low_count + static_cast<std::size_t>(__builtin_popcount(high_keep));
        });
}
#endif
#endif

// The conversion, with `runs` the form of short_unit_runs for the caller's instruction set:
// inlined into one function for each, so that the vector runs and the units after them are
// one piece of code.
template <class Runs>
[[gnu::always_inline]] inline std::size_t convert_utf16be(std::span<const std::uint8_t> octets, char *out, Runs runs) {
    const std::uint8_t *p = octets.data();
    const std::size_t n = octets.size();
    const auto unit = [p](std::size_t at) { return static_cast<char32_t>(p[at] << 8 | p[at + 1]); };
    std::size_t written = 0;
    std::size_t i = runs(p, n, out, written);
    for (; i + 2 <= n; i += 2) {
        char32_t cp = unit(i);
        if (surrogate(cp)) [[unlikely]] {
            if (high_surrogate(cp) && i + 4 <= n && low_surrogate(unit(i + 2))) {
                written += put_utf8(0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00), out + written);
                i += 2;
                continue;
            }
            cp = kReplacementCharacter;
        }
        written += put_utf8_bmp(cp, out + written);
    }
    if (i < n)
        written += put_utf8(kReplacementCharacter, out + written);
    return written;
}

#if defined(VELMORA_X86_DISPATCH)
__attribute__((target("avx2"))) std::size_t utf16be_to_utf8_avx2(std::span<const std::uint8_t> octets, char *out) {
    return convert_utf16be(octets, out, short_unit_runs_avx2);
}
__attribute__((target("ssse3"))) std::size_t utf16be_to_utf8_ssse3(std::span<const std::uint8_t> octets, char *out) {
    return convert_utf16be(octets, out, short_unit_runs_ssse3);
}
#endif

}  // namespace

std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out) {
    return utf16be_to_utf8(octets, out, best_vectors());
}

std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out, [[maybe_unused]] Vectors vectors) {
#if defined(VELMORA_X86_DISPATCH)
    if (vectors == Vectors::Avx2)
        return utf16be_to_utf8_avx2(octets, out);
    if (vectors == Vectors::Ssse3)
        return utf16be_to_utf8_ssse3(octets, out);
#endif
#if defined(__SSE2__)
    if (vectors == Vectors::Sse2)
        return convert_utf16be(octets, out, short_unit_runs_sse2);
#endif
    return convert_utf16be(octets, out, [](const std::uint8_t *, std::size_t, char *, std::size_t &) {
        return std::size_t{0};
    });
}

std::size_t utf16be_open_tail(std::span<const std::uint8_t> octets) {
    const std::size_t odd = octets.size() % 2;
    const std::size_t units = octets.size() / 2;
    if (units == 0)
        return odd;
    const std::size_t last = 2 * (units - 1);
    return high_surrogate(static_cast<char32_t>(octets[last] << 8 | octets[last + 1])) ? 2 + odd : odd;
}

}  // namespace velmora

namespace velmora {

std::size_t utf8_to_utf16be(std::string_view text, std::size_t max_units, std::uint8_t *out, std::size_t &units) {
    return utf8_to_utf16be(text, max_units, out, units, best_vectors());
}

std::size_t utf8_to_utf16be(std::string_view text, std::size_t max_units, std::uint8_t *out, std::size_t &units,
                            [[maybe_unused]] Vectors vectors) {
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(text.data());
    const std::size_t n = text.size();
    units = 0;
    std::size_t at = 0;
    while (at < n) {
#if defined(VELMORA_X86_DISPATCH)
        if (vectors == Vectors::Avx2)
            at += short_character_runs_avx2(bytes + at, n - at, max_units, out, units);
        else if (vectors == Vectors::Ssse3)
            at += short_character_runs_ssse3(bytes + at, n - at, max_units, out, units);
#endif
#if defined(__SSE2__)
        if (vectors == Vectors::Sse2)
            at += short_character_runs_sse2(bytes + at, n - at, max_units, out, units);
#endif
        // Then characters one at a time, up to the next that is shorter than three bytes.
        do {
            char32_t cp = 0;
            const std::size_t length = at < n ? next_utf8(text, at, cp) : 0;
            if (length == 0 || units + utf16_units(cp) > max_units)
                return at;
            units += put_utf16be(cp, out + 2 * units) / 2;
            at += length;
        } while (at < n && bytes[at] >= 0xE0);
    }
    return at;
}

}  // namespace velmora
