// GSM 7-bit default alphabet and its extension table.
#pragma once

namespace velmora {

inline constexpr unsigned char kEscape = 0x1B;

// Replaces *c by its extension code and returns 1 when it is an extension-table
// character; returns 0 and leaves *c alone otherwise.
int esc_encode_ascii_char(unsigned char *c);

}  // namespace velmora
