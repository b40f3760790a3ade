// The one field reader and writer that the four PDU codecs share.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#include "codec/hex.h"

namespace velmora {

// Appends octets to a buffer sized beforehand from the PDU's octet bound.
class OctetWriter {
public:
    OctetWriter(unsigned char *octets, std::uint32_t capacity) : octets_(octets), capacity_(capacity) {}

    void put(std::uint32_t value) { octets_[written_++] = static_cast<unsigned char>(value); }
    void put(const unsigned char *from, std::uint32_t count) {
        std::memcpy(octets_ + written_, from, count);
        written_ += count;
    }
    unsigned char *cursor() const { return octets_ + written_; }
    std::uint32_t room() const { return capacity_ - written_; }
    void advance(std::uint32_t count) { written_ += count; }
    std::uint32_t written() const { return written_; }

private:
    unsigned char *octets_;
    std::uint32_t capacity_;
    std::uint32_t written_ = 0;
};

// Walks hexadecimal PDU text field by field. A field that the text does not hold
// whole reads as nullopt; a field whose characters do not scan as hex reads as 0.
class HexFieldReader {
public:
    explicit HexFieldReader(const char *text) : text_(text), length_(static_cast<std::uint32_t>(std::strlen(text))) {}

    bool holds(std::uint32_t width) const { return length_ - position_ >= width; }

    std::optional<std::uint32_t> octet() { return field(2); }
    std::optional<std::uint32_t> word16() { return field(4); }

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
};

}  // namespace velmora
