// SPDX-License-Identifier: Apache-2.0
// Appends the octets of a PDU being written.
#pragma once

#include <cstdint>
#include <cstring>

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

}  // namespace velmora
