// User data as hexadecimal text into the record's text.
#pragma once

#include <cstdint>

namespace velmora {

// Septet-packed GSM 7-bit user data to 8-bit text; returns the characters written (0: none).
std::uint32_t decode_7bit_pdu(const char *hex, std::uint32_t hex_len, char *out, std::uint32_t out_cap,
                              std::uint32_t fill, int debug);

// UCS-2 user data copied as octets; returns the 16-bit characters written.
std::uint32_t decode_usc2_pdu(const char *hex, std::uint32_t hex_len, char *out, std::uint32_t out_cap,
                              int debug);

}  // namespace velmora
