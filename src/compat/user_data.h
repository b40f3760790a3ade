// SPDX-License-Identifier: Apache-2.0
// User data as hexadecimal text into the record's text.
#pragma once

#include <cstdint>

#include "velmora.h"

namespace velmora::compat {

// Septet-packed GSM 7-bit user data to 8-bit text; returns the characters written (0: none).
std::uint32_t decode_7bit_pdu(const char *hex, std::uint32_t hex_len, char *out, std::uint32_t out_cap,
                              std::uint32_t fill, int debug);

// UCS-2 user data copied as octets; returns the 16-bit characters written.
std::uint32_t decode_ucs2_pdu(const char *hex, std::uint32_t hex_len, char *out, std::uint32_t out_cap,
                              int debug);

enum class UserDataCoding { Septets, Octets, Ucs2 };

// Decodes `hex_chars` characters of user data (fewer when the text ends first) into
// sms.text and sms.text_len. False when septet or UCS-2 data decode to nothing.
bool decode_user_data(const char *hex, std::uint64_t hex_chars, UserDataCoding coding, std::uint32_t fill,
                      sms_message &sms, int debug);

}  // namespace velmora::compat
