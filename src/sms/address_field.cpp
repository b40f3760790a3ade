#include <array>
#include <cstring>

#include "codec/gsm7.h"
#include "sms/fields.h"
#include "velmora.h"

namespace velmora::sms {
namespace {

constexpr std::uint32_t kMaxAddressDigits = 20;       // TS 23.040 9.1.2.5: 2 to 12 octets
constexpr std::uint32_t kMaxSmscOctets = 11;          // type and ten octets of digits
constexpr std::uint32_t kMaxCdmaDigitOctets = 20;
constexpr std::uint8_t kInternational = 1;
constexpr std::uint8_t kAlphanumeric = 5;

// Semi-octet values 0-9, then '*', '#', 'a', 'b', 'c' (TS 23.040 9.1.2.3); F is the filler.
constexpr char kSemiOctetDigits[] = "0123456789*#abc";
constexpr std::uint8_t kFiller = 0xF;

// The characters of both semi-octets of every octet, low nibble first, fillers left out.
struct DigitPair {
    char chars[2];
    std::uint8_t count;
};
constexpr std::array<DigitPair, 256> kDigitPairs = [] {
    std::array<DigitPair, 256> pairs{};
    for (std::uint32_t octet = 0; octet < 256; ++octet)
        for (const std::uint32_t nibble : {octet & 0x0F, octet >> 4})
            if (nibble != kFiller)
                pairs[octet].chars[pairs[octet].count++] = kSemiOctetDigits[nibble];
    return pairs;
}();

void set_type(velmora_address &address, std::uint8_t type) {
    address.type = type;
    address.ton = type >> 4 & 0x07;
    address.npi = type & 0x0F;
}

// Swapped semi-octets to characters, the low nibble of each octet first; F fillers are left
// out, and so is the high nibble of the last octet when the count of semi-octets is odd.
void put_digits(std::span<const std::uint8_t> octets, std::uint32_t semi_octets, velmora_address &address) {
    char *out = address.text;
    if (address.ton == kInternational)
        *out++ = '+';
    for (std::uint32_t i = 0; i < semi_octets / 2; ++i) {
        const DigitPair &pair = kDigitPairs[octets[i]];
        std::memcpy(out, pair.chars, 2);
        out += pair.count;
    }
    if (semi_octets % 2 != 0) {
        const DigitPair &last = kDigitPairs[octets[semi_octets / 2] | 0xF0];  // its high nibble unread
        if (last.count != 0)
            *out++ = last.chars[0];
    }
    *out = '\0';
}

// An alphanumeric address: as many septets as the semi-octets hold, in the default alphabet.
void put_name(std::span<const std::uint8_t> octets, std::uint32_t semi_octets, velmora_address &address) {
    const std::uint32_t septets = semi_octets * 4 / 7;
    std::array<unsigned char, 16> codes{};
    decode7(octets.data(), septets, codes.data(), codes.size(), 0);
    const std::size_t length = gsm7_to_utf8({codes.data(), septets}, {}, address.text);
    address.text[length] = '\0';
}

// Semi-octet value of a character of a number to send, or kFiller for none.
std::uint8_t semi_octet_value(char c) {
    const char lower = c >= 'A' && c <= 'C' ? static_cast<char>(c - 'A' + 'a') : c;
    for (std::uint8_t value = 0; value < kFiller; ++value)
        if (kSemiOctetDigits[value] == lower)
            return value;
    return kFiller;
}

void write_semi_octets(OctetWriter &pdu, const Number &number) {
    for (std::uint32_t i = 0; i < number.count; i += 2) {
        const std::uint8_t second = i + 1 < number.count ? number.digits[i + 1] : kFiller;
        pdu.put(number.digits[i] | second << 4);
    }
}

}  // namespace

std::optional<Number> parse_number(const char *text, std::uint8_t type, std::uint32_t &bad_offset) {
    Number number;
    const bool international = text[0] == '+';
    for (std::uint32_t i = international ? 1 : 0; text[i] != '\0'; ++i) {
        const std::uint8_t value = semi_octet_value(text[i]);
        if (value == kFiller || number.count == number.digits.size()) {
            bad_offset = i;
            return std::nullopt;
        }
        number.digits[number.count++] = value;
    }
    number.type = type != 0 ? type : international ? 0x91 : 0x81;
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
    if (address.ton == kAlphanumeric)
        put_name(octets, semi_octets, address);
    else
        put_digits(octets, semi_octets, address);
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
    put_digits(octets, 2 * octets.size(), message.smsc);
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
    put_digits(octets, 2 * octets.size(), address);
    return true;
}

}  // namespace velmora::sms
