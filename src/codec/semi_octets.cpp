// SPDX-License-Identifier: Apache-2.0
#include "codec/semi_octets.h"

#include <cstring>

namespace velmora {
namespace {

// The characters of both semi-octets of every octet, low nibble first, fillers left out.
struct DigitPair {
    char chars[2];
    std::uint8_t count;
};
constexpr std::array<DigitPair, 256> kDigitPairs = [] {
    std::array<DigitPair, 256> pairs{};
    for (std::uint32_t octet = 0; octet < 256; ++octet)
        for (const std::uint8_t nibble : {first_semi_octet(static_cast<std::uint8_t>(octet)),
                                          second_semi_octet(static_cast<std::uint8_t>(octet))})
            if (nibble != kSemiOctetFiller)
                pairs[octet].chars[pairs[octet].count++] = kSemiOctetDigits[nibble];
    return pairs;
}();

}  // namespace

std::size_t semi_octets_to_digits(std::span<const std::uint8_t> octets, std::size_t count, char *out,
                                  std::optional<std::size_t> *misplaced_filler) {
    // Two digits an octet, each pair in its place, up to the first filler; from there on
    // each octet writes as many as it has.
    std::size_t i = 0;
    for (; i < count / 2; ++i) {
        const DigitPair &pair = kDigitPairs[octets[i]];
        std::memcpy(out + 2 * i, pair.chars, 2);
        if (pair.count != 2)
            break;
    }
    std::size_t written = 2 * i;
    for (; i < count / 2; ++i) {
        const DigitPair &pair = kDigitPairs[octets[i]];
        std::memcpy(out + written, pair.chars, 2);
        written += pair.count;
    }
    if (count % 2 != 0) {
        const DigitPair &last = kDigitPairs[octets[count / 2] | 0xF0];  // its high nibble is not read
        if (last.count != 0)
            out[written++] = last.chars[0];
    }
    if (misplaced_filler != nullptr && written < count) {
        // Every semi-octet but the last of an odd count must be a digit. Most often the one
        // filler is the last semi-octet, an address counted in octets.
        if (written + 1 == count && second_semi_octet(octets[(count - 1) / 2]) == kSemiOctetFiller && count % 2 == 0) {
            *misplaced_filler = count - 1;
            return written;
        }
        for (std::size_t k = 0; k < count; ++k) {
            const std::uint8_t octet = octets[k / 2];
            const std::uint8_t value = k % 2 == 0 ? first_semi_octet(octet) : second_semi_octet(octet);
            if (value == kSemiOctetFiller) {
                *misplaced_filler = k;
                break;
            }
        }
    }
    return written;
}

}  // namespace velmora
