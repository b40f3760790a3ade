// Text crossing the terminal: UTF-8 outside, the library's 8-bit text inside.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>


namespace velmora::cli {

// Where and why a text could not be converted.
struct TextError {
    std::string message;
};

// UTF-8 to 8-bit text (ISO 8859-1, euro sign at 0x80). Fails on malformed UTF-8 and on
// characters without an 8-bit form, naming the character and its position (from 1).
std::string utf8_to_text8(std::string_view utf8, std::optional<TextError> &error);

// Checks that every character of an 8-bit text survives the GSM 7-bit alphabet
// (encodes to a code or an escape pair that decodes back to it) and counts its GSM
// codes. Returns nullopt and names the first offending character otherwise.
std::optional<std::uint32_t> gsm_code_count(std::string_view text8, std::optional<TextError> &error);

std::string to_hex(std::string_view octets);

// "'é' (U+00E9)", or just "U+0007" for a control character.
std::string describe_code_point(char32_t cp);

}  // namespace velmora::cli
