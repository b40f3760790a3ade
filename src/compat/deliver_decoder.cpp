// SPDX-License-Identifier: Apache-2.0
// GSM SMS-DELIVER (3GPP TS 23.040) as a modem reports it in PDU mode, service-centre address first.
#include <cstring>

#include "codec/protocol.h"
#include "compat/hex_field.h"
#include "compat/telnum.h"
#include "compat/user_data.h"
#include "compat/user_data_header.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

using protocol::kDcs8Bit;
using protocol::kDcsGsm7;
using protocol::kDcsUcs2;

constexpr const char *kName = "sms_decode_pdu";
constexpr HeaderTrace kHeaderTrace{kName, TracePoint::kDecodeUdhl, TracePoint::kDecodeIei,
                                   TracePoint::kDecodeConcatenation, TracePoint::kDecodeUdlReduced};
constexpr std::uint32_t kTimeStampChars = 14;

int decode(const char *pdu_str, sms_message &sms, int debug) {
    HexFieldReader pdu(pdu_str, kName, debug);
    const auto service_centre_length = pdu.octet();
    if (!service_centre_length)
        return -1;
    pdu.skip(2 * std::uint64_t{*service_centre_length});

    const auto first_octet = pdu.octet(TracePoint::kDecodeFirstOctet, "pdu_type");
    if (!first_octet)
        return -1;
    const bool has_header = (*first_octet & protocol::kUserDataHeaderBit) != 0;
    if (has_header)
        VELMORA_TRACE(debug, kName, TracePoint::kDecodeUdhi, "has UDHI\n");

    // TP-OA: length in digits, type of address, digits in swapped semi-octets.
    const auto digits = pdu.octet();
    if (!digits)
        return -1;
    sms.telnum_len = *digits;
    const std::uint32_t digit_chars = *digits + *digits % 2;
    VELMORA_TRACE(debug, kName, TracePoint::kDecodeSenderLength, "sender num_length = 0x%X\n", digit_chars);
    const auto address_type = pdu.octet(TracePoint::kDecodeSenderType, "sender_addr_type");
    if (!address_type)
        return -1;
    sms.telnum_type = *address_type;
    const char *address = pdu.take(digit_chars);
    if (address == nullptr)
        return -1;
    decode_telnum(address, digit_chars, &sms);

    // Once the text has ended, no later field reads or prints anything.
    const auto protocol_id = pdu.octet(TracePoint::kDecodePid, "proto_ident");
    const auto dcs = pdu.octet(TracePoint::kDecodeDcs, "data_coding");
    if (!protocol_id || !dcs)
        return -1;
    const char *time_stamp = pdu.take(kTimeStampChars);
    if (time_stamp == nullptr)
        return -1;
    decode_datetime(time_stamp, &sms);

    const auto user_data_length = pdu.octet(TracePoint::kDecodeUdl, "user_data_length");
    if (!user_data_length)
        return -1;
    std::uint32_t length = *user_data_length;  // septets for 7-bit data, octets otherwise
    std::uint32_t fill = 0;
    if (has_header) {
        const LengthUnit unit = *dcs == kDcs8Bit || *dcs == kDcsUcs2 ? LengthUnit::Octets : LengthUnit::Septets;
        const auto header_fill = read_user_data_header(pdu, sms, length, unit, kHeaderTrace, debug);
        if (!header_fill)
            return -1;
        fill = *header_fill;
    }

    sms.data_coding = *dcs;
    UserDataCoding coding;
    switch (*dcs) {
    case kDcsGsm7:
        coding = UserDataCoding::Septets;
        break;
    case kDcs8Bit:
        coding = UserDataCoding::Octets;
        break;
    case kDcsUcs2:
        coding = UserDataCoding::Ucs2;
        break;
    default:
        VELMORA_TRACE(debug, kName, TracePoint::kDecodeBadDcs, "Invalid data_coding type 0x%X\n", *dcs);
        return -1;
    }
    return decode_user_data(pdu.here(), 2 * std::uint64_t{length}, coding, fill, sms, debug) ? 0 : -1;
}

}  // namespace
}  // namespace velmora::compat

extern "C" int sms_decode_pdu(const char *pdu_str, std::uint32_t sz, sms_message *sms, int debug) {
    (void)sz;  // the text's NUL ends it
    if (pdu_str == nullptr || sms == nullptr)
        return -1;
    std::memset(sms, 0, sizeof *sms);
    sms->total_parts = 1;
    sms->part_num = 1;
    return velmora::compat::decode(pdu_str, *sms, debug);
}
