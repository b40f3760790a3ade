// Text and octets as the terminal shows them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::cli {

std::string to_hex(std::string_view octets);

// "'é' (U+00E9)", or just "U+0007" for a control character.
std::string describe_code_point(char32_t cp);

// The position (from 1) of the character that starts at byte `offset` of UTF-8 text.
std::size_t character_position(std::string_view utf8, std::size_t offset);

}  // namespace velmora::cli
