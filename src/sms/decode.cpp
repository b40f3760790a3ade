// velmora_decode, velmora_decode_hex: one PDU into a cleared record.
#include <array>
#include <cstddef>
#include <cstring>

#include "codec/hex.h"
#include "sms/decoders.h"

namespace velmora::sms {
namespace {

constexpr unsigned kKnownFlags = VELMORA_NO_SMSC | VELMORA_CDMA | VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK;
// More than the longest PDU of either layout (3GPP2: 255 UCS-2 characters behind two addresses).
constexpr std::size_t kMaxPduOctets = 1024;

velmora_error &reset(velmora_error *error, velmora_error &local) {
    velmora_error &e = error != nullptr ? *error : local;
    e = {VELMORA_OK, 0, "", 0};
    return e;
}

bool valid_flags(unsigned flags) {
    const bool both_directions = (flags & VELMORA_FROM_NETWORK) && (flags & VELMORA_TO_NETWORK);
    return (flags & ~kKnownFlags) == 0 && !both_directions;
}

// Every field, and an empty text; the arrays are written as far as their lengths go.
void clear(velmora_message *message) {
    if (message == nullptr)
        return;
    std::memset(message, 0, offsetof(velmora_message, udh));
    message->message_class = -1;
    message->text[0] = '\0';
}

velmora_status decode(Cursor &cursor, unsigned flags, velmora_message &message, velmora_error &error) {
    if (flags & VELMORA_CDMA)
        decode_cdma(cursor, message);
    else
        decode_gsm(cursor, flags, message);
    return error.status;
}

// The argument a call cannot take, named as the declaration names it; nullptr for none.
const char *bad_argument(const void *pdu, std::size_t length, unsigned flags, const velmora_message *message) {
    if (message == nullptr)
        return "message";
    if (pdu == nullptr && length != 0)
        return "pdu";
    return valid_flags(flags) ? nullptr : "flags";
}

velmora_status argument_error(velmora_error &error, const char *argument) {
    error.status = VELMORA_E_ARGUMENT;
    error.field = argument;
    return error.status;
}

}  // namespace
}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" velmora_status velmora_decode(const std::uint8_t *pdu, std::size_t length, unsigned flags,
                                         velmora_message *message, velmora_error *error) {
    velmora_error local;
    velmora_error &e = reset(error, local);
    clear(message);
    if (const char *argument = bad_argument(pdu, length, flags, message))
        return argument_error(e, argument);
    Cursor cursor({pdu, length}, e);
    return decode(cursor, flags, *message, e);
}

extern "C" velmora_status velmora_decode_hex(const char *hex, std::size_t length, unsigned flags,
                                             velmora_message *message, velmora_error *error) {
    velmora_error local;
    velmora_error &e = reset(error, local);
    clear(message);
    if (const char *argument = bad_argument(hex, length, flags, message))
        return argument_error(e, argument);
    // The octets up to the first character that is not a hex digit, or a last lone digit;
    // a read that needs more fails there as not hex.
    std::array<std::uint8_t, kMaxPduOctets> octets;
    const std::size_t pairs = std::min(length / 2, octets.size());
    const std::size_t converted = velmora::parse_digit_pairs(hex, static_cast<std::uint32_t>(pairs), octets.data());
    const bool all_hex = converted == length / 2 && length % 2 == 0;
    velmora_status input_end = all_hex ? VELMORA_E_ENDS_EARLY : VELMORA_E_NOT_HEX;
    if (converted == octets.size() && length > 2 * octets.size())
        input_end = VELMORA_E_TRAILING_DATA;
    Cursor cursor({octets.data(), converted}, e, input_end);
    return decode(cursor, flags, *message, e);
}
