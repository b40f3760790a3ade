// SPDX-License-Identifier: Apache-2.0
#include "compat/user_data.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "codec/septets.h"
#include "compat/trace.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

constexpr std::uint32_t kMaxSeptets = 161;
constexpr std::uint32_t kCodeArea = 322;
constexpr std::uint32_t kDumpCapacity = 1837;

// Characters of the text available for `wanted`, stopping at its NUL.
std::uint32_t available(const char *hex, std::uint32_t wanted) {
    return static_cast<std::uint32_t>(strnlen(hex, wanted));
}

}  // namespace

std::uint32_t decode_7bit_pdu(const char *hex, std::uint32_t hex_len, char *out, std::uint32_t out_cap,
                              std::uint32_t fill, int debug) {
    const std::uint32_t septets = std::min(kMaxSeptets, hex_len / 2);
    unsigned char octets[kMaxSeptets];
    unsigned char codes[kCodeArea];
    if (debug)  // traced as a string, so the codes must end in NUL
        std::memset(codes, 0, sizeof codes);

    const std::uint32_t converted =
        convert_bytestr_to_hexarray(hex, available(hex, 2 * septets), octets, sizeof octets, debug);
    // Octets that unpacking reads but the text does not reach read as 0.
    const std::uint32_t unpacked_octets = std::min<std::uint32_t>(sizeof octets, packed_size(septets, fill));
    if (converted < unpacked_octets)
        std::memset(octets + converted, 0, unpacked_octets - converted);
    const int unpacked = decode7(octets, septets, codes, sizeof codes, fill);
    if (debug)
        std::printf("DEBUG %s(): LINE %d, Decoded message before gsm0338_to_ascii = '%s'\n", "decode_7bit_pdu",
                    static_cast<int>(TracePoint::kUnpackedCodes), reinterpret_cast<const char *>(codes));
    if (unpacked != 0)
        return 0;

    const std::uint32_t produced = decode_gsm0338_to_ascii(codes, septets, out, out_cap);
    if (debug) {
        char dump[kDumpCapacity] = {};
        convert_hexarray_to_bytestr(reinterpret_cast<const unsigned char *>(out), produced, dump, sizeof dump);
        VELMORA_TRACE(debug, "decode_7bit_pdu", TracePoint::kUnpackedText, "  SMS ASCII: %s\n", dump);
    }
    return produced;
}

std::uint32_t decode_ucs2_pdu(const char *hex, std::uint32_t hex_len, char *out, std::uint32_t out_cap, int debug) {
    const std::uint32_t octets = convert_bytestr_to_hexarray(hex, available(hex, hex_len),
                                                             reinterpret_cast<unsigned char *>(out), out_cap, debug);
    return octets / 2;
}

bool decode_user_data(const char *hex, std::uint64_t hex_chars, UserDataCoding coding, std::uint32_t fill,
                      sms_message &sms, int debug) {
    const auto chars = static_cast<std::uint32_t>(std::min<std::uint64_t>(hex_chars, UINT32_MAX));
    switch (coding) {
    case UserDataCoding::Septets:
        sms.text_len = decode_7bit_pdu(hex, chars, sms.text, kMaxSeptets, fill, debug);
        return sms.text_len != 0;
    case UserDataCoding::Octets:
        sms.text_len = convert_bytestr_to_hexarray(hex, available(hex, chars),
                                                   reinterpret_cast<unsigned char *>(sms.text), sizeof sms.text, debug);
        return true;
    case UserDataCoding::Ucs2:
        sms.text_len = decode_ucs2_pdu(hex, chars, sms.text, sizeof sms.text, debug);
        return sms.text_len != 0;
    }
    return false;
}

}  // namespace velmora::compat
