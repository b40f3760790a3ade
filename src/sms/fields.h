// SPDX-License-Identifier: Apache-2.0
// The TPDU fields that the decoders read and the encoder writes: addresses, time stamps,
// the data coding scheme, the validity period and the status of a delivery report.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/octet_writer.h"
#include "codec/protocol.h"
#include "sms/cursor.h"
#include "velmora/sms.h"

namespace velmora::sms {

// TP-OA, TP-DA, TP-RA: length in semi-octets, type of address, then swapped semi-octets,
// or GSM 7-bit septets for an alphanumeric address (type of number 101).
bool read_tp_address(Cursor &cursor, const char *field, velmora_address &address);
// The service-centre address: length in octets, type included; 0 means none.
bool read_smsc_address(Cursor &cursor, velmora_message &message);
// The 3GPP2 sender: length in octets, type included and at least 1.
bool read_cdma_address(Cursor &cursor, const char *field, velmora_address &address);

// A number to send to: semi-octet values (TS 23.040 9.1.2.3) and the type of address.
struct Number {
    std::array<std::uint8_t, 20> digits{};
    std::uint8_t count = 0;
    std::uint8_t type = 0;
};
// Digits, '*', '#' and 'a'-'c' (either case) after an optional '+'; `type` 0 chooses 0x91
// after '+' and 0x81 otherwise. Nullopt, with the offset of the character, when it is not one.
std::optional<Number> parse_number(const char *text, std::uint8_t type, std::uint32_t &bad_offset);
// TP-DA: length in semi-octets, type, swapped semi-octets with an F filler.
void write_tp_address(OctetWriter &pdu, const Number &number);
// The service-centre address and the 3GPP2 addresses: length in octets, type included.
void write_octet_address(OctetWriter &pdu, const Number &number);

// TP-SCTS, TP-DT, absolute TP-VP from the seven octets taken at offset `at`: swapped
// semi-octets, the last the time zone in quarter hours with its sign in bit 3. Octets
// that are not BCD or not a date and time leave `time` as it was and `valid` false, with
// VELMORA_WARNING_TIME; false when that fails the decoding (VELMORA_STRICT).
bool read_gsm_time(std::span<const std::uint8_t> octets, Cursor &cursor, std::size_t at, const char *field,
                   velmora_time &time, bool &valid);
// The seven octets of a time: nullopt for a date or offset they cannot hold (years
// 1990-2089, whole quarter hours up to 79 of them; no offset reads as UTC).
std::optional<std::array<std::uint8_t, 7>> gsm_time_octets(const velmora_time &time);
// The 3GPP2 time stamp from its six octets YY MM DD hh mm ss, two digits each in plain
// order; otherwise as read_gsm_time.
bool read_cdma_time(std::span<const std::uint8_t> octets, Cursor &cursor, std::size_t at, const char *field,
                    velmora_time &time, bool &valid);

// TP-DCS per 3GPP TS 23.038 section 4, into dcs, alphabet, message_class, compressed,
// auto_delete and dcs_waiting.
void apply_data_coding(std::uint8_t dcs, velmora_message &message);
// A reserved coding group (1000-1011) or the reserved alphabet of the general groups, which
// the reader takes as the GSM 7-bit default alphabet (TS 23.038 4).
bool reserved_coding(std::uint8_t dcs);

// TP-DCS of a message sent in `alphabet` (velmora_alphabet) with a message class (-1: none),
// and the 3GPP2 message encoding of an alphabet.
std::uint8_t data_coding_scheme(std::uint8_t alphabet, int message_class);
std::uint8_t cdma_encoding(std::uint8_t alphabet);

// TP-VP in the form TP-VPF gives (0 none, 1 enhanced, 2 relative, 3 absolute).
bool read_validity(Cursor &cursor, std::uint32_t format, velmora_message &message);
// Minutes of a relative TP-VP octet (TS 23.040 9.2.3.12.1).
constexpr std::uint32_t relative_validity_minutes(std::uint8_t vp) {
    if (vp <= 143)
        return (vp + 1u) * 5;
    if (vp <= 167)
        return 12 * 60 + (vp - 143u) * 30;
    if (vp <= 196)
        return (vp - 166u) * 24 * 60;
    return (vp - 192u) * 7 * 24 * 60;
}

// The relative TP-VP octet of the shortest period of at least `minutes`; nullopt beyond
// 63 weeks.
std::optional<std::uint8_t> relative_validity_octet(std::uint32_t minutes);

// TP-ST's category: bits 6-5, or RESERVED when bit 7 is set.
constexpr std::uint8_t delivery_category(std::uint8_t status) {
    return static_cast<std::uint8_t>(status & 0x80 ? VELMORA_DELIVERY_RESERVED : status >> 5 & 0x03);
}

}  // namespace velmora::sms
