// Hexadecimal text <-> octets.
#pragma once

#include <cstdint>
#include <optional>

namespace velmora {

char hex2c(std::uint8_t nibble);

// What libc's sscanf(text, "%0<width>X", &value) stores, width being 2 or 4:
// nothing (nullopt) when the scan converts no digit. Two or four plain hex digits
// are read directly; anything else goes through sscanf itself.
std::optional<std::uint32_t> scan_hex_field(const char *text, int width);

// What sscanf(text, "%02X%02X%02X", &a, &b, &c) stores; values it does not assign stay 0.
void scan_three_octets(const char *text, std::uint32_t (&values)[3]);

// Renders octets as upper-case hex into a text area that holds 2 x count characters.
void render_hex(const unsigned char *octets, std::uint32_t count, char *text);

}  // namespace velmora
