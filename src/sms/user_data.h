// SPDX-License-Identifier: Apache-2.0
// TP-UDL, the user data header and the user data, shared by the GSM and 3GPP2 decoders.
#pragma once

#include <cstdint>
#include <span>

#include "codec/user_data_header.h"
#include "sms/cursor.h"
#include "velmora/sms.h"

namespace velmora::sms {

// How the user data is read: what TP-UDL counts, and what the octets behind the header are.
enum class Content { Gsm7Text, Ucs2Text, Latin1Text, Octets };

struct UserDataLayout {
    LengthUnit unit;
    Content content;
    std::uint32_t max_length;  // the largest TP-UDL the layout allows
    const char *length_field;
    const char *header_field;
    const char *data_field;
};

// Reads TP-UDL, the header when `has_header` is set, and the user data into the text or
// data of the record. The header's elements are interpreted, its national language
// elements applied to the text. A header with no room in the user data is a warning, the
// user data then read whole; so is an odd count of UCS-2 octets.
bool read_user_data(Cursor &cursor, const UserDataLayout &layout, bool has_header, velmora_message &message);

// Keeps the header (UDHL octets after UDHL, at PDU offset `at`) and its information
// elements in the record and takes in the ones the library knows. An element that runs
// past the header voids the header: its octets are kept, no element is taken, and a
// warning says so.
bool read_header_elements(Cursor &cursor, std::span<const std::uint8_t> header, std::size_t at,
                          const char *field, velmora_message &message);

}  // namespace velmora::sms
