// SPDX-License-Identifier: Apache-2.0
// PDU text read field by field with libc's sscanf semantics: what "%02X" and "%04X" store.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "codec/hex.h"
#include "compat/trace.h"

namespace velmora::compat {

// sscanf(text, "%0<width>X", &value) itself, for a field that is not plain digits.
std::optional<std::uint32_t> scan_hex_field_with_libc(const char *text, int width);

// What libc's sscanf(text, "%0<width>X", &value) stores, width being 2 or 4:
// nothing (nullopt) when the scan converts no digit. Two or four plain hex digits
// are read directly (inline, as every PDU field goes through here); anything else
// goes through sscanf itself. A NUL ends the digits before anything past it is read.
inline std::optional<std::uint32_t> scan_hex_field(const char *text, int width) {
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i) {
        const int digit = hex_digit(text[i]);
        if (digit < 0)
            return scan_hex_field_with_libc(text, width);
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// What sscanf(text, "%02X%02X%02X", &a, &b, &c) stores; values it does not assign stay 0.
void scan_three_octets(const char *text, std::uint32_t (&values)[3]);

// Walks hexadecimal PDU text field by field. A field that the text does not hold
// whole reads as nullopt; a field whose characters do not scan as hex reads as 0.
// Traced octets are printed as "<name> = 0x<value>" for `function` when debug is set.
class HexFieldReader {
public:
    HexFieldReader(const char *text, const char *function, int debug)
        : text_(text), length_(static_cast<std::uint32_t>(std::strlen(text))), function_(function), debug_(debug) {}

    bool holds(std::uint32_t width) const { return length_ - position_ >= width; }

    std::optional<std::uint32_t> octet() { return field(2); }
    std::optional<std::uint32_t> word16() { return field(4); }
    std::optional<std::uint32_t> octet(TracePoint point, const char *name) {
        const auto value = field(2);
        if (value)
            VELMORA_TRACE(debug_, function_, point, "%s = 0x%X\n", name, *value);
        return value;
    }

    // A field of `width` characters handed to another decoder, then passed over.
    const char *take(std::uint32_t width) {
        if (!holds(width))
            return nullptr;
        const char *start = here();
        position_ += width;
        return start;
    }

    // Moves on, stopping at the end of the text.
    void skip(std::uint64_t width) {
        position_ += static_cast<std::uint32_t>(std::min<std::uint64_t>(width, length_ - position_));
    }
    void seek(std::uint32_t position) { position_ = std::min(position, length_); }

    const char *here() const { return text_ + position_; }
    std::uint32_t position() const { return position_; }

private:
    std::optional<std::uint32_t> field(int width) {
        if (!holds(static_cast<std::uint32_t>(width)))
            return std::nullopt;
        const std::uint32_t value = scan_hex_field(here(), width).value_or(0);
        position_ += static_cast<std::uint32_t>(width);
        return value;
    }

    const char *text_;
    std::uint32_t length_;
    std::uint32_t position_ = 0;
    const char *function_;
    int debug_;
};

}  // namespace velmora::compat
