// SPDX-License-Identifier: Apache-2.0
// TP-DCS, 3GPP TS 23.038 section 4.
#include "sms/fields.h"

namespace velmora::sms {

void apply_data_coding(std::uint8_t dcs, velmora_message &message) {
    message.dcs = dcs;
    message.message_class = -1;
    message.alphabet = VELMORA_ALPHABET_GSM7;  // also for every reserved value
    switch (dcs >> 4) {
    case 0x0: case 0x1: case 0x2: case 0x3:  // general data coding
    case 0x4: case 0x5: case 0x6: case 0x7:  // the same, marked for automatic deletion
        message.auto_delete = dcs >> 6 & 1;
        message.compressed = dcs >> 5 & 1;
        if (dcs & 0x10)
            message.message_class = static_cast<std::int8_t>(dcs & 0x03);
        if ((dcs >> 2 & 0x03) != 3)
            message.alphabet = dcs >> 2 & 0x03;
        break;
    case 0xC: case 0xD: case 0xE:  // message waiting indication: discard, store, store UCS-2
        message.dcs_waiting.kind = static_cast<std::uint8_t>((dcs & 0x03) + VELMORA_WAITING_VOICEMAIL);
        message.dcs_waiting.active = dcs >> 3 & 1;
        message.dcs_waiting.store = dcs >> 4 != 0xC;
        if (dcs >> 4 == 0xE)
            message.alphabet = VELMORA_ALPHABET_UCS2;
        break;
    case 0xF:  // data coding / message class
        message.message_class = static_cast<std::int8_t>(dcs & 0x03);
        if (dcs & 0x04)
            message.alphabet = VELMORA_ALPHABET_8BIT;
        break;
    default:  // 1000-1011: reserved coding groups
        break;
    }
}

bool reserved_coding(std::uint8_t dcs) {
    const std::uint8_t group = protocol::dcs_group(dcs);
    const bool general = group < 0x8;
    return general ? (dcs >> 2 & 0x03) == 3 : group < protocol::kDcsGroupWaitingDiscard;
}

std::uint8_t data_coding_scheme(std::uint8_t alphabet, int message_class) {
    // General data coding group: bits 3-2 the alphabet, bit 4 announcing the class in bits 1-0.
    const auto dcs = static_cast<std::uint8_t>(alphabet << 2);
    return message_class < 0 ? dcs : static_cast<std::uint8_t>(dcs | 0x10 | message_class);
}

std::uint8_t cdma_encoding(std::uint8_t alphabet) {
    // GSM codes go as 7-bit ASCII (2), as libvelmora.so.2 sends them; octets 0, UCS-2 4.
    static constexpr std::uint8_t kEncodings[] = {protocol::kCdmaAscii7, protocol::kCdmaOctets, protocol::kCdmaUcs2};
    return kEncodings[alphabet];
}

}  // namespace velmora::sms
