// Hexadecimal text <-> octets.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora {

char hex2c(std::uint8_t nibble);

// What libc's sscanf(text, "%0<width>X", &value) stores, width being 2 or 4:
// nothing (nullopt) when the scan converts no digit. Two or four plain hex digits
// are read directly; anything else goes through sscanf itself.
std::optional<std::uint32_t> scan_hex_field(const char *text, int width);

// Render octets as upper-case hex into a text area that must hold 2 x octets.size().
void render_hex(std::basic_string_view<unsigned char> octets, char *text);

}  // namespace velmora
