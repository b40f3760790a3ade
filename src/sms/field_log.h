// SPDX-License-Identifier: Apache-2.0
// The fields a decoder read, in order: name, octet offset and length, and the warnings met
// with their offsets, for the field map.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace velmora::sms {

struct FieldRead {
    const char *name;
    std::uint32_t offset;
    std::uint32_t length;
};

struct WarningRead {
    std::uint32_t warning;
    std::uint32_t offset;
};

class FieldLog {
public:
    explicit FieldLog(std::span<FieldRead> storage) : storage_(storage) {}

    // Reads of one field in a row (length, type and digits of an address) make one entry.
    void add(const char *name, std::size_t offset, std::size_t length) {
        if (count_ != 0 && std::strcmp(storage_[count_ - 1].name, name) == 0) {
            storage_[count_ - 1].length += static_cast<std::uint32_t>(length);
            return;
        }
        if (count_ < storage_.size())
            storage_[count_++] = {name, static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(length)};
    }

    std::span<const FieldRead> reads() const { return storage_.first(count_); }

    void warn(std::uint32_t warning, std::size_t offset) {
        if (warning_count_ < warnings_.size())
            warnings_[warning_count_++] = {warning, static_cast<std::uint32_t>(offset)};
    }

    // The warnings met at offsets [from, to).
    std::uint32_t warnings(std::size_t from, std::size_t to) const {
        std::uint32_t bits = 0;
        for (std::size_t i = 0; i < warning_count_; ++i)
            if (warnings_[i].offset >= from && warnings_[i].offset < to)
                bits |= warnings_[i].warning;
        return bits;
    }

private:
    std::span<FieldRead> storage_;
    std::size_t count_ = 0;
    std::array<WarningRead, 8> warnings_{};  // more than a PDU's fields can raise
    std::size_t warning_count_ = 0;
};

}  // namespace velmora::sms
