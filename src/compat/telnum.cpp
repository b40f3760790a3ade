// SPDX-License-Identifier: Apache-2.0
#include "compat/telnum.h"

#include "codec/semi_octets.h"

namespace velmora::compat {

int encode_telnum(const char *digits, std::uint32_t n, unsigned char *out, std::uint32_t cap) {
    const std::uint32_t octets = n / 2 + n % 2;
    if (cap < octets)
        return -1;
    // A character other than a digit gives whatever bits c - '0' has, as it always did.
    const auto value = [](char c) { return static_cast<std::uint8_t>(c - '0'); };
    for (std::uint32_t k = 0; k < n / 2; ++k)
        out[k] = semi_octet_pair(value(digits[2 * k]), value(digits[2 * k + 1]));
    if (n % 2 != 0)
        out[n / 2] = semi_octet_pair(value(digits[n - 1]), kSemiOctetFiller);
    return static_cast<int>(octets);
}

int decode_telnum(const char *hex, std::uint32_t count, sms_message *sms) {
    if (sms == nullptr || hex == nullptr || count % 2 != 0)
        return -1;
    if (count > 25)
        return -2;
    swap_digit_pairs(hex, count, sms->telnum, 'F');
    return 0;
}

}  // namespace velmora::compat
