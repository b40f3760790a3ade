// SPDX-License-Identifier: Apache-2.0
// The compact 3GPP2 layouts.
#include <algorithm>

#include "sms/decoders.h"
#include "sms/fields.h"
#include "sms/user_data.h"

namespace velmora::sms {
namespace {

using namespace velmora::protocol;

constexpr std::uint32_t kMaxLength = 255;

// The message encodings with a known reading: 7-bit ASCII, IA5 and GSM 7-bit as GSM
// septets, octets, Latin-1, UCS-2 (TP-UDL in characters).
bool layout_of(std::uint8_t encoding, velmora_message &m, UserDataLayout &layout) {
    layout = {LengthUnit::Octets, Content::Octets, kMaxLength, "user data length", "user data header", "user data"};
    switch (encoding) {
    case kCdmaAscii7: case kCdmaIa5: case kCdmaGsm7:
        layout.unit = LengthUnit::Septets, layout.content = Content::Gsm7Text;
        m.alphabet = VELMORA_ALPHABET_GSM7;
        return true;
    case kCdmaOctets:
        m.alphabet = VELMORA_ALPHABET_8BIT;
        return true;
    case kCdmaLatin:
        layout.content = Content::Latin1Text;
        m.alphabet = VELMORA_ALPHABET_8BIT;
        return true;
    case kCdmaUcs2:
        layout.unit = LengthUnit::Ucs2Characters, layout.content = Content::Ucs2Text;
        m.alphabet = VELMORA_ALPHABET_UCS2;
        return true;
    default:
        return false;
    }
}

// The second octet after the first address: a type of address (bit 7 set) after the
// callback number's length in the submit layout, the month of the time stamp in the
// deliver layout.
bool submit_layout(const Cursor &cursor) {
    const std::size_t after_first_address = 1 + cursor.peek_at(0).value_or(0);
    return (cursor.peek_at(after_first_address + 1).value_or(0) & 0x80) != 0;
}

}  // namespace

bool decode_cdma(Cursor &cursor, unsigned flags, velmora_message &m) {
    m.format = VELMORA_FORMAT_CDMA;
    const bool submit = (flags & VELMORA_TO_NETWORK) != 0 || (!(flags & VELMORA_FROM_NETWORK) && submit_layout(cursor));
    if (submit) {
        m.type = VELMORA_SUBMIT;
        if (!read_cdma_address(cursor, "destination", m.recipient))
            return false;
        m.present |= VELMORA_HAS_RECIPIENT;
        if (!read_cdma_address(cursor, "callback", m.originator))
            return false;
        m.present |= VELMORA_HAS_ORIGINATOR;
    } else {
        m.type = VELMORA_DELIVER;
        if (!read_cdma_address(cursor, "address", m.originator))
            return false;
        m.present |= VELMORA_HAS_ORIGINATOR;
        const std::size_t time_at = cursor.offset();
        std::span<const std::uint8_t> time;
        bool valid = false;
        if (!cursor.take(6, "time stamp", time))
            return false;
        std::copy(time.begin(), time.end(), m.timestamp_raw);
        if (!read_cdma_time(time, cursor, time_at, "time stamp", m.timestamp, valid))
            return false;
        if (valid)
            m.present |= VELMORA_HAS_TIMESTAMP;
    }
    std::span<const std::uint8_t> teleservice;
    if (!cursor.take(2, "teleservice", teleservice))
        return false;
    m.teleservice = static_cast<std::uint16_t>(teleservice[0] << 8 | teleservice[1]);
    m.present |= VELMORA_HAS_TELESERVICE;
    // Other teleservices carry a layout of their own, left unread.
    if (m.teleservice != kWirelessMessaging && m.teleservice != kWirelessEnhancedMessaging)
        return true;

    std::uint8_t encoding;
    if (!cursor.octet("priority", m.priority))
        return false;
    const std::size_t encoding_at = cursor.offset();
    if (!cursor.octet("encoding", encoding))
        return false;
    m.dcs = encoding;
    m.present |= VELMORA_HAS_DCS;
    UserDataLayout layout;
    const bool known = layout_of(encoding, m, layout);
    // Without user data the encoding is not needed.
    if (!known && cursor.peek().value_or(0) != 0)
        return cursor.invalid("encoding", encoding_at);
    return read_user_data(cursor, layout, m.teleservice == kWirelessEnhancedMessaging, m) && cursor.finish();
}

}  // namespace velmora::sms
