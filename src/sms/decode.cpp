// SPDX-License-Identifier: Apache-2.0
// velmora_decode, velmora_decode_hex: one PDU into a cleared record.
#include <array>
#include <cstddef>
#include <cstring>

#include "codec/hex.h"
#include "sms/abi.h"
#include "sms/decoders.h"
#include "sms/record_bytes.h"

namespace velmora::sms {
namespace {

constexpr unsigned kKnownFlags =
    VELMORA_NO_SMSC | VELMORA_CDMA | VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK | VELMORA_STRICT;
// More than the longest PDU of either layout (3GPP2: 255 UCS-2 characters behind two addresses).
constexpr std::size_t kMaxPduOctets = 1024;

// Every field, and an empty text; the arrays are written as far as their lengths go.
void clear(velmora_message &message) {
    const std::uint32_t size = message.size;
    zero_bytes(&message, offsetof(velmora_message, udh));
    std::memset(&message.warnings, 0, sizeof message - offsetof(velmora_message, warnings));
    message.warning_field = "";
    message.size = size;
    message.message_class = -1;
    message.text[0] = '\0';
}

// Decodes into the caller's record, or, for a caller built with a smaller record, into a
// whole one whose members inside the caller's size are then copied out.
template <class Decode>
velmora_status decode_into(velmora_message &caller, Decode &&decode) {
    if (caller.size >= sizeof(velmora_message)) {
        clear(caller);
        return decode(caller);
    }
    // The arrays past their lengths stay the caller's: `whole` starts as a copy of them.
    velmora_message whole;
    read_prefix(caller, whole);
    whole.size = sizeof whole;
    clear(whole);
    const velmora_status status = decode(whole);
    write_prefix(whole, caller);
    return status;
}

// The warnings stay in the record also when a later field fails. Every field reader is
// inlined here (flatten), all but the user data's: the cursor, local to this call, then need
// not go through memory between fields, whose reads would wait on its stores (a status
// report 63 to 46 ns, with decode_gsm flattened as well).
[[gnu::flatten]] velmora_status decode(std::span<const std::uint8_t> octets, velmora_status input_end,
                                       unsigned flags, velmora_message &message, velmora_error &error,
                                       FieldLog *log) {
    Cursor cursor(octets, error, input_end, (flags & VELMORA_STRICT) != 0);
    if (log != nullptr)
        cursor.log_into(*log);
    if (flags & VELMORA_CDMA)
        decode_cdma(cursor, flags, message);
    else
        decode_gsm(cursor, flags, message);
    const Warnings &warnings = cursor.warnings();
    message.warnings = warnings.bits;
    message.first_warning = warnings.first;
    message.warning_offset = warnings.offset;
    message.warning_field = warnings.field;
    return error.status;
}

// The argument a call cannot take, named as the declaration names it; nullptr for none.
const char *bad_argument(const void *pdu, std::size_t length, unsigned flags, const velmora_message *message) {
    if (!sized(message, kFirstMessageSize))
        return "message";
    if (pdu == nullptr && length != 0)
        return "pdu";
    return valid_decode_flags(flags) ? nullptr : "flags";
}

velmora_status argument_error(velmora_error &error, const char *argument) {
    error.status = VELMORA_E_ARGUMENT;
    error.field = argument;
    return error.status;
}

}  // namespace

bool valid_decode_flags(unsigned flags) {
    const bool both_directions = (flags & VELMORA_FROM_NETWORK) && (flags & VELMORA_TO_NETWORK);
    return (flags & ~kKnownFlags) == 0 && !both_directions;
}

velmora_status decode_octets(const std::uint8_t *pdu, std::size_t length, unsigned flags, velmora_message *message,
                             velmora_error *error, FieldLog *log) {
    velmora_error local;
    velmora_error *e = error_record(error, local);
    if (e == nullptr)
        return VELMORA_E_ARGUMENT;
    const char *argument = bad_argument(pdu, length, flags, message);
    if (argument != nullptr && !sized(message, kFirstMessageSize))
        return argument_error(*e, argument);
    return decode_into(*message, [&](velmora_message &m) {
        if (argument != nullptr)
            return argument_error(*e, argument);
        return decode({pdu, length}, VELMORA_E_ENDS_EARLY, flags, m, *e, log);
    });
}

velmora_status decode_hex(const char *hex, std::size_t length, unsigned flags, velmora_message *message,
                          velmora_error *error, FieldLog *log) {
    velmora_error local;
    velmora_error *e = error_record(error, local);
    if (e == nullptr)
        return VELMORA_E_ARGUMENT;
    const char *argument = bad_argument(hex, length, flags, message);
    if (argument != nullptr && !sized(message, kFirstMessageSize))
        return argument_error(*e, argument);
    // The octets up to the first character that is not a hex digit, or a last lone digit;
    // a read that needs more fails there as not hex.
    std::array<std::uint8_t, kMaxPduOctets> octets;
    const std::size_t pairs = argument != nullptr ? 0 : std::min(length / 2, octets.size());
    const std::size_t converted = velmora::parse_digit_pairs(hex, static_cast<std::uint32_t>(pairs), octets.data());
    const bool all_hex = converted == length / 2 && length % 2 == 0;
    velmora_status input_end = all_hex ? VELMORA_E_ENDS_EARLY : VELMORA_E_NOT_HEX;
    if (converted == octets.size() && length > 2 * octets.size())
        input_end = VELMORA_E_TRAILING_DATA;
    return decode_into(*message, [&](velmora_message &m) {
        if (argument != nullptr)
            return argument_error(*e, argument);
        return decode({octets.data(), converted}, input_end, flags, m, *e, log);
    });
}

}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" velmora_status velmora_decode(const std::uint8_t *pdu, std::size_t length, unsigned flags,
                                         velmora_message *message, velmora_error *error) {
    return decode_octets(pdu, length, flags, message, error, nullptr);
}

extern "C" velmora_status velmora_decode_hex(const char *hex, std::size_t length, unsigned flags,
                                             velmora_message *message, velmora_error *error) {
    return decode_hex(hex, length, flags, message, error, nullptr);
}
