// SPDX-License-Identifier: Apache-2.0
// The compact 3GPP2 deliver layout: sender, time stamp, teleservice, priority,
// encoding and user data; teleservice 4101 carries a user-data header.
#include <cstring>

#include "codec/protocol.h"
#include "compat/hex_field.h"
#include "compat/telnum.h"
#include "compat/user_data.h"
#include "compat/user_data_header.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

using namespace velmora::protocol;

constexpr const char *kName = "sms_decode_3gpp2_pdu";
constexpr HeaderTrace kHeaderTrace{kName, TracePoint::kCdmaDecodeUdhl, TracePoint::kCdmaDecodeIei,
                                   TracePoint::kCdmaDecodeConcatenation, TracePoint::kCdmaDecodeUdlReduced};
constexpr std::uint32_t kTimeStampChars = 12;
constexpr std::uint32_t kFixedFieldChars = 20;  // the minimum-length test's allowance beyond the address

std::optional<UserDataCoding> coding_of(std::uint32_t encoding) {
    switch (encoding) {
    case kCdmaAscii7:
    case kCdmaIa5:
    case kCdmaGsm7:
        return UserDataCoding::Septets;
    case kCdmaOctets:
    case kCdmaLatin:
        return UserDataCoding::Octets;
    case kCdmaUcs2:
        return UserDataCoding::Ucs2;
    default:
        return std::nullopt;
    }
}

LengthUnit unit_of(const std::optional<UserDataCoding> &coding) {
    if (coding == UserDataCoding::Octets)
        return LengthUnit::Octets;
    if (coding == UserDataCoding::Ucs2)
        return LengthUnit::Ucs2Characters;
    return LengthUnit::Septets;
}

int decode(const char *pdu_str, std::uint32_t sz, sms_message &sms, int debug) {
    HexFieldReader message(pdu_str, kName, debug);
    // addr_len counts the type octet and the digit octets.
    const auto address_length = message.octet();
    if (!address_length)
        return -1;
    sms.telnum_len = *address_length;
    VELMORA_TRACE(debug, kName, TracePoint::kCdmaDecodeAddressLength, "sender addr_len = 0x%X\n", sms.telnum_len);
    if (sms.telnum_len == 0)
        return -1;
    const std::uint32_t min_len = sms.telnum_len + kFixedFieldChars;
    if (2 * sz < min_len) {
        VELMORA_TRACE(debug, kName, TracePoint::kCdmaDecodeTooShort, "sz (%d) < l_i_min_len (%d) \n",
                      static_cast<int>(sz), static_cast<int>(min_len));
        return -1;
    }
    const auto address_type = message.octet(TracePoint::kCdmaDecodeAddressType, "type_addr");
    if (!address_type)
        return -1;
    sms.telnum_type = *address_type;
    const std::uint32_t digit_chars = 2 * (sms.telnum_len - 1);
    const char *address = message.take(digit_chars);
    if (address == nullptr)
        return -1;
    decode_telnum(address, digit_chars, &sms);
    VELMORA_TRACE(debug, kName, TracePoint::kCdmaDecodeNumber, "sms->telnum = %s\n", sms.telnum);

    const char *time_stamp = message.take(kTimeStampChars);
    if (time_stamp == nullptr)
        return -1;
    decode_datetime_3gpp2(time_stamp, &sms);
    VELMORA_TRACE(debug, kName, TracePoint::kCdmaDecodeDateTime, "sms->date_time = %s\n", sms.date_time);

    const auto teleservice = message.word16();
    if (!teleservice)
        return -1;
    sms.teleserv_id = *teleservice;
    VELMORA_TRACE(debug, kName, TracePoint::kCdmaDecodeTeleservice, "teleserv_id = 0x%X\n", sms.teleserv_id);
    if (sms.teleserv_id != kWirelessMessaging && sms.teleserv_id != kWirelessEnhancedMessaging)
        return 0;  // decoded, with nothing more to read

    const auto priority = message.octet(TracePoint::kCdmaDecodePriority, "priority");
    if (!priority)
        return -1;
    sms.priority = *priority;
    // Once the text has ended, no later field reads or prints anything.
    const auto encoding = message.octet(TracePoint::kCdmaDecodeEncoding, "data_encoding");
    const auto user_data_length = message.octet(TracePoint::kCdmaDecodeUdl, "user_data_length");
    if (!encoding || !user_data_length)
        return -1;
    if (*user_data_length == 0)
        return 0;

    const auto coding = coding_of(*encoding);
    std::uint32_t length = *user_data_length;  // septets, octets or UCS-2 characters
    std::uint32_t fill = 0;
    if (sms.teleserv_id == kWirelessEnhancedMessaging) {
        const auto header_fill = read_user_data_header(message, sms, length, unit_of(coding), kHeaderTrace, debug);
        if (!header_fill)
            return -1;
        fill = *header_fill;
    }

    sms.data_coding = *encoding;
    if (!coding) {
        VELMORA_TRACE(debug, kName, TracePoint::kCdmaDecodeBadEncoding, "Invalid data_coding type 0x%X\n", *encoding);
        return -1;
    }
    const std::uint64_t hex_chars = (*coding == UserDataCoding::Ucs2 ? 4 : 2) * std::uint64_t{length};
    return decode_user_data(message.here(), hex_chars, *coding, fill, sms, debug) ? 0 : -1;
}

}  // namespace
}  // namespace velmora::compat

extern "C" int sms_decode_3gpp2_pdu(const char *pdu_str, std::uint32_t sz, sms_message *sms, int debug) {
    if (pdu_str == nullptr || sms == nullptr || sz == 0)
        return -1;
    std::memset(sms, 0, sizeof *sms);
    return velmora::compat::decode(pdu_str, sz, *sms, debug);
}
