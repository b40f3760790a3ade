// SPDX-License-Identifier: Apache-2.0
// Text and octets as the terminal shows them; no I/O, so that other front ends can use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::cli {

std::string to_hex(std::string_view octets);
// The same into `out`, which has room for two digits an octet; where they end.
char *write_hex(char *out, std::string_view octets);

// "0x91"
std::string hex_octet(std::uint8_t value);

// Seconds as minutes with four significant digits and no trailing zeros, as printf's "%.4g"
// writes the double seconds / 60 ("1.5", "0.01667", "6041") into `out` (16 chars); where they
// end. Without printf below 599,970 seconds (TP-VP's hh:mm:ss reach 362,439).
char *write_minutes(char *out, std::uint32_t seconds);

// "'é' (U+00E9)", or just "U+0007" for a control character.
std::string describe_code_point(char32_t cp);

// The position (from 1) of the character that starts at byte `offset` of UTF-8 text.
std::size_t character_position(std::string_view utf8, std::size_t offset);

// "label:      value\n", values lined up in one column.
std::string labelled(std::string_view label, std::string_view value);

// Line breaks continue under the value of a labelled line; other control characters
// are spelled out.
std::string indented(std::string_view text);

}  // namespace velmora::cli
