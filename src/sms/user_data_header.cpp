// SPDX-License-Identifier: Apache-2.0
// Information elements of a received user data header (3GPP TS 23.040 9.2.3.24) taken
// into the record.
#include "codec/gsm7.h"
#include "codec/user_data_header.h"
#include "sms/record_bytes.h"
#include "sms/user_data.h"

namespace velmora::sms {
namespace {

using namespace velmora::protocol;

// A concatenation element counts for nothing when it has no parts, or its part number
// is 0 or beyond them (TS 23.040 9.2.3.24.1).
void take_concatenation(const Concatenation &c, velmora_message &m) {
    if (c.parts == 0 || c.part == 0 || c.part > c.parts)
        return;
    m.reference_bits = c.reference_bits, m.reference = c.reference, m.parts = c.parts, m.part = c.part;
}

// Elements of a known identifier and length; the last of a kind wins.
void take_element(std::uint8_t iei, std::span<const std::uint8_t> data, velmora_message &m) {
    if (const auto concatenation = read_concatenation(iei, data)) {
        take_concatenation(*concatenation, m);
    } else if (const auto ports = read_ports(iei, data)) {
        m.port_bits = ports->bits, m.destination_port = ports->destination, m.source_port = ports->source;
    } else if ((iei == kIeiSingleShift || iei == kIeiLockingShift) && data.size() == 1 && known_language(data[0])) {
        (iei == kIeiSingleShift ? m.single_shift : m.locking_shift) = data[0];
    } else if (iei == kIeiSpecialMessage && data.size() == 2) {
        // Bit 7: store; bits 1-0: voice, fax, e-mail, other; then the number of messages.
        m.special.kind = static_cast<std::uint8_t>((data[0] & 0x03) + VELMORA_WAITING_VOICEMAIL);
        m.special.store = data[0] >> 7;
        m.special.count = data[1];
        m.special.active = data[1] != 0;
    }
}

}  // namespace

bool read_header_elements(Cursor &cursor, std::span<const std::uint8_t> header, std::size_t at,
                          const char *field, velmora_message &m) {
    if (header.size() > VELMORA_UDH_CAPACITY)
        return cursor.invalid(field, at);
    copy_bytes(m.udh, header.data(), header.size());
    m.udh_length = static_cast<std::uint8_t>(header.size());
    m.present |= VELMORA_HAS_UDH;
    // One element that overruns the header makes the whole header void (9.2.3.24).
    if (const auto overrun = for_each_element(header, [](const HeaderElement &) {}))
        return cursor.warn(VELMORA_WARNING_HEADER_ELEMENT, field, at + 1 + *overrun);
    for_each_element(header, [&](const HeaderElement &e) {
        m.elements[m.element_count++] = {e.iei, e.length, e.offset};
        take_element(e.iei, header.subspan(e.offset, e.length), m);
    });
    return true;
}

}  // namespace velmora::sms
