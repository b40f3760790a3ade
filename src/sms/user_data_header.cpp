// Information elements of the user data header (3GPP TS 23.040 9.2.3.24).
#include <algorithm>

#include "codec/gsm7.h"
#include "sms/user_data.h"

namespace velmora::sms {
namespace {

std::uint16_t word(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
}

// A concatenation element counts for nothing when it has no parts, or its part number
// is 0 or beyond them (TS 23.040 9.2.3.24.1).
void take_concatenation(std::uint8_t bits, std::uint16_t reference, std::uint8_t parts, std::uint8_t part,
                        velmora_message &m) {
    if (parts == 0 || part == 0 || part > parts)
        return;
    m.reference_bits = bits, m.reference = reference, m.parts = parts, m.part = part;
}

// Elements of a known identifier and length; the last of a kind wins.
void take_element(std::uint8_t iei, std::span<const std::uint8_t> data, velmora_message &m) {
    switch (iei) {
    case kConcat8:
        if (data.size() == 3)
            take_concatenation(8, data[0], data[1], data[2], m);
        break;
    case kConcat16:
        if (data.size() == 4)
            take_concatenation(16, word(data, 0), data[2], data[3], m);
        break;
    case kPorts8:
        if (data.size() == 2)
            m.port_bits = 8, m.destination_port = data[0], m.source_port = data[1];
        break;
    case kPorts16:
        if (data.size() == 4)
            m.port_bits = 16, m.destination_port = word(data, 0), m.source_port = word(data, 2);
        break;
    case kSingleShift:
        if (data.size() == 1 && known_language(data[0]))
            m.single_shift = data[0];
        break;
    case kLockingShift:
        if (data.size() == 1 && known_language(data[0]))
            m.locking_shift = data[0];
        break;
    case kSpecialMessage:
        // Bit 7: store; bits 1-0: voice, fax, e-mail, other; then the number of messages.
        if (data.size() == 2) {
            m.special.kind = static_cast<std::uint8_t>((data[0] & 0x03) + VELMORA_WAITING_VOICEMAIL);
            m.special.store = data[0] >> 7;
            m.special.count = data[1];
            m.special.active = data[1] != 0;
        }
        break;
    default:
        break;
    }
}

}  // namespace

bool read_header_elements(Cursor &cursor, std::span<const std::uint8_t> header, std::size_t at,
                          const char *field, velmora_message &m) {
    if (header.size() > VELMORA_UDH_CAPACITY)
        return cursor.invalid(field, at);
    std::copy(header.begin(), header.end(), m.udh);
    m.udh_length = static_cast<std::uint8_t>(header.size());
    m.present |= VELMORA_HAS_UDH;
    for (std::size_t i = 0; i < header.size();) {
        const std::size_t data_at = i + 2;
        if (data_at > header.size() || data_at + header[i + 1] > header.size())
            return cursor.fail(VELMORA_E_BAD_ELEMENT, field, at + 1 + i);
        const std::uint8_t iei = header[i], length = header[i + 1];
        m.elements[m.element_count++] = {iei, length, static_cast<std::uint8_t>(data_at)};
        take_element(iei, header.subspan(data_at, length), m);
        i = data_at + length;
    }
    return true;
}

}  // namespace velmora::sms
