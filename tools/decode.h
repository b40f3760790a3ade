// One hexadecimal PDU checked, handed to the library and read back as a DecodedMessage.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "message.h"

namespace velmora::cli {

// Longer than any PDU either layout can describe; longer input is refused unread.
inline constexpr std::size_t kMaxPduChars = 4096;

struct DecodeResult {
    std::optional<DecodedMessage> message;
    std::string error;  // what was wrong, with the column of the hex text where it helps
};

// Decodes an SMS-DELIVER PDU (service-centre address first), or a 3GPP2 message when
// `cdma` is set. The text must be hex digits only; surrounding blanks are the caller's.
DecodeResult decode_pdu(std::string_view hex, bool cdma, int debug);

}  // namespace velmora::cli
