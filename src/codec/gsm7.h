// GSM 7-bit text with the national language tables of 3GPP TS 23.038: septet codes
// (one per byte) to UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora {

// The tables a message uses: national language identifiers 1-13, or 0 for the default
// alphabet and its extension table.
struct Gsm7Language {
    std::uint8_t locking = 0;
    std::uint8_t shift = 0;
};

// Bytes of UTF-8 that gsm7_to_utf8 may need per code, a 4-byte store included.
inline constexpr std::size_t kGsm7Utf8Slack = 4;

// Codes to UTF-8 through the locking table and, for the code after ESC, the single shift
// table. A shift code the table lacks shows the locking table's character (TS 23.038
// 6.2.1.1); ESC with nothing to escape shows as a space, a code no table defines as
// U+FFFD. `out` holds 3 bytes per code plus kGsm7Utf8Slack. Returns the bytes written.
std::size_t gsm7_to_utf8(std::span<const std::uint8_t> codes, Gsm7Language language, char *out);

// Whether a national language identifier names a table the library has (1-13).
constexpr bool known_language(std::uint32_t id) { return id >= 1 && id <= 13; }

}  // namespace velmora
