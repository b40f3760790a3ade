#include "codec/address.h"

namespace velmora {

int encode_telnum(const char *digits, std::uint32_t n, unsigned char *out, std::uint32_t cap) {
    const std::uint32_t octets = n / 2 + n % 2;
    if (cap < octets)
        return -1;
    for (std::uint32_t k = 0; k < n / 2; ++k)
        out[k] = static_cast<unsigned char>((digits[2 * k] - '0') | (digits[2 * k + 1] - '0') << 4);
    if (n % 2 != 0)
        out[n / 2] = static_cast<unsigned char>((digits[n - 1] - '0') | 0xF0);  // 0xF filler
    return static_cast<int>(octets);
}

int decode_telnum(const char *hex, std::uint32_t count, sms_message *sms) {
    if (sms == nullptr || hex == nullptr || count % 2 != 0)
        return -1;
    if (count > 25)
        return -2;
    // Each octet carries its first digit in the low nibble, which the text writes second.
    char *digit = sms->telnum;
    for (std::uint32_t i = 0; i < count; i += 2) {
        *digit++ = hex[i + 1];
        if (hex[i] != 'F')
            *digit++ = hex[i];
    }
    return 0;
}

}  // namespace velmora
