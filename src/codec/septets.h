// SPDX-License-Identifier: Apache-2.0
// Septet packing (3GPP TS 23.038 packing of 7-bit characters) after 0-6 fill bits.
#pragma once

#include <cstdint>

namespace velmora {

// Octets needed for `count` septets behind `fill` bits: ceil((7 x count + fill) / 8).
constexpr std::uint32_t packed_size(std::uint32_t count, std::uint32_t fill) {
    return (7 * count + fill + 7) / 8;
}

// Packs the low 7 bits of each code. Returns the octets written, packed_size(count, fill),
// or 0 when they do not fit in cap (the first cap octets are then written). Fill bits with
// no code behind them take the first code's byte shifted up, one octet.
std::uint32_t encode7(const unsigned char *codes, std::uint32_t count, unsigned char *out,
                      std::uint32_t cap, std::uint32_t fill);

// Unpacks `count` septets after `fill` bits into one code per byte of `out`, which holds
// count bytes; reads exactly packed_size(count, fill) octets.
void unpack_septets(const unsigned char *in, std::uint32_t count, unsigned char *out, std::uint32_t fill);

}  // namespace velmora
