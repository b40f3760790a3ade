// SPDX-License-Identifier: Apache-2.0
// Addresses: TP-OA, TP-DA, TP-RA, the service centre and the 3GPP2 numbers.
#include <array>
#include <cstring>

#include "codec/gsm7.h"
#include "codec/semi_octets.h"
#include "codec/septets.h"
#include "sms/fields.h"

namespace velmora::sms {
namespace {

using namespace velmora::protocol;

constexpr std::uint32_t kMaxCdmaDigitOctets = 20;

void set_type(velmora_address &address, std::uint8_t type) {
    address.type = type;
    address.ton = type_of_number(type);
    address.npi = type & 0x0F;
}

// Swapped semi-octets (the first at PDU offset `at`) to characters, '+' first for an
// international number; F fillers are left out, and so is the high nibble of the last
// octet when the count is odd. A filler before the last semi-octet is a warning; so is the
// last of an address counted in semi-octets, which has no filler.
bool put_digits(std::span<const std::uint8_t> octets, std::uint32_t semi_octets, bool counted_in_octets,
                Cursor &cursor, std::size_t at, const char *field, velmora_address &address) {
    char *out = address.text;
    if (address.ton == kTonInternational)
        *out++ = '+';
    std::optional<std::size_t> filler;
    out += semi_octets_to_digits(cursor.through_end(octets), semi_octets, out, &filler);
    *out = '\0';
    const bool misplaced = filler && !(counted_in_octets && *filler + 1 == semi_octets);
    return !misplaced || cursor.warn(VELMORA_WARNING_ADDRESS_DIGITS, field, at + *filler / 2);
}

// An alphanumeric address: as many septets as the semi-octets hold, in the default alphabet.
void put_name(std::span<const std::uint8_t> octets, std::uint32_t semi_octets, velmora_address &address) {
    const std::uint32_t septets = semi_octets * 4 / 7;
    std::array<unsigned char, 16> codes{};
    unpack_septets(octets.data(), septets, codes.data(), 0);
    const std::size_t length = gsm7_to_utf8({codes.data(), septets}, {}, address.text);
    address.text[length] = '\0';
}

void write_semi_octets(OctetWriter &pdu, const Number &number) {
    pdu.advance(static_cast<std::uint32_t>(pack_semi_octets({number.digits.data(), number.count}, pdu.cursor())));
}

}  // namespace

std::optional<Number> parse_number(const char *text, std::uint8_t type, std::uint32_t &bad_offset) {
    Number number;
    const bool international = text[0] == '+';
    for (std::uint32_t i = international ? 1 : 0; text[i] != '\0'; ++i) {
        const std::uint8_t value = semi_octet_value(text[i]);
        if (value == kSemiOctetFiller || number.count == number.digits.size()) {
            bad_offset = i;
            return std::nullopt;
        }
        number.digits[number.count++] = value;
    }
    number.type = type != 0 ? type : international ? kTypeInternationalIsdn : kTypeUnknownIsdn;
    return number;
}
void write_tp_address(OctetWriter &pdu, const Number &number) {
    pdu.put(number.count);
    pdu.put(number.type);
    write_semi_octets(pdu, number);
}

void write_octet_address(OctetWriter &pdu, const Number &number) {
    pdu.put((number.count + 1u) / 2 + 1);
    pdu.put(number.type);
    write_semi_octets(pdu, number);
}

bool read_tp_address(Cursor &cursor, const char *field, velmora_address &address) {
    const std::size_t at = cursor.offset();
    std::uint8_t semi_octets, type;
    if (!cursor.octet(field, semi_octets))
        return false;
    if (semi_octets > kMaxAddressDigits)
        return cursor.invalid(field, at);
    address.length = semi_octets;
    std::span<const std::uint8_t> octets;
    if (!cursor.octet(field, type) || !cursor.take((semi_octets + 1u) / 2, field, octets))
        return false;
    set_type(address, type);
    if (address.ton != kTonAlphanumeric)
        return put_digits(octets, semi_octets, false, cursor, at + 2, field, address);
    put_name(octets, semi_octets, address);
    return true;
}

bool read_smsc_address(Cursor &cursor, velmora_message &message) {
    static constexpr const char *kField = "SMSC address";
    const std::size_t at = cursor.offset();
    std::uint8_t length, type;
    if (!cursor.octet(kField, length))
        return false;
    if (length == 0)
        return true;
    if (length > kMaxSmscOctets)
        return cursor.invalid(kField, at);
    std::span<const std::uint8_t> octets;
    if (!cursor.octet(kField, type) || !cursor.take(length - 1u, kField, octets))
        return false;
    message.smsc.length = length;
    set_type(message.smsc, type);
    if (!put_digits(octets, 2 * octets.size(), true, cursor, at + 2, kField, message.smsc))
        return false;
    if (message.smsc.text[0] != '\0')
        message.present |= VELMORA_HAS_SMSC;
    return true;
}

bool read_cdma_address(Cursor &cursor, const char *field, velmora_address &address) {
    const std::size_t at = cursor.offset();
    std::uint8_t length, type;
    if (!cursor.octet(field, length))
        return false;
    if (length == 0 || length - 1u > kMaxCdmaDigitOctets)
        return cursor.invalid(field, at);
    std::span<const std::uint8_t> octets;
    if (!cursor.octet(field, type) || !cursor.take(length - 1u, field, octets))
        return false;
    address.length = length;
    set_type(address, type);
    return put_digits(octets, 2 * octets.size(), true, cursor, at + 2, field, address);
}

}  // namespace velmora::sms
