// SPDX-License-Identifier: Apache-2.0
// Telephone numbers of the record as swapped semi-octets.
#pragma once

#include <cstdint>

#include "velmora.h"

namespace velmora::compat {

// Digits '0'-'9' to semi-octet pairs, 0xF filler after an odd last digit.
// Returns ceil(n / 2), or -1 (nothing written) when cap is smaller.
int encode_telnum(const char *digits, std::uint32_t n, unsigned char *out, std::uint32_t cap);

// `count` hex characters of an address field into sms->telnum, swapping each pair
// and dropping the 'F' filler. -1 for null pointers or an odd count, -2 above 25.
int decode_telnum(const char *hex, std::uint32_t count, sms_message *sms);

}  // namespace velmora::compat
