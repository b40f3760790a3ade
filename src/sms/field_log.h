// SPDX-License-Identifier: Apache-2.0
// The fields a decoder read, in order: name, octet offset and length, for the field map.
#pragma once

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

private:
    std::span<FieldRead> storage_;
    std::size_t count_ = 0;
};

}  // namespace velmora::sms
