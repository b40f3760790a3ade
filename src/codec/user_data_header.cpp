// SPDX-License-Identifier: Apache-2.0
#include "codec/user_data_header.h"

namespace velmora {
namespace {

using protocol::kIeiConcat16;
using protocol::kIeiConcat8;
using protocol::kIeiLockingShift;
using protocol::kIeiPorts16;
using protocol::kIeiPorts8;
using protocol::kIeiSingleShift;

std::uint16_t word(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] << 8 | data[at + 1]);
}

}  // namespace

std::optional<Concatenation> read_concatenation(std::uint8_t iei, std::span<const std::uint8_t> data) {
    if (iei == kIeiConcat8 && data.size() == kConcat8Length)
        return Concatenation{8, data[0], data[1], data[2]};
    if (iei == kIeiConcat16 && data.size() == kConcat16Length)
        return Concatenation{16, word(data, 0), data[2], data[3]};
    return std::nullopt;
}

std::optional<Ports> read_ports(std::uint8_t iei, std::span<const std::uint8_t> data) {
    if (iei == kIeiPorts8 && data.size() == kPorts8Length)
        return Ports{8, data[0], data[1]};
    if (iei == kIeiPorts16 && data.size() == kPorts16Length)
        return Ports{16, word(data, 0), word(data, 2)};
    return std::nullopt;
}

std::size_t header_octets(const HeaderContent &content) {
    std::size_t octets = 0;
    if (content.concatenation)
        octets += 2 + (content.concatenation->reference_bits == 16 ? kConcat16Length : kConcat8Length);
    if (content.ports)
        octets += 2 + (content.ports->bits == 16 ? kPorts16Length : kPorts8Length);
    if (content.single_shift != 0)
        octets += 2 + kShiftLength;
    if (content.locking_shift != 0)
        octets += 2 + kShiftLength;
    return octets == 0 ? 0 : octets + 1;
}

std::size_t write_header(const HeaderContent &content, std::uint8_t *out) {
    const std::size_t octets = header_octets(content);
    if (octets == 0)
        return 0;
    std::size_t at = 0;
    const auto put = [&](std::uint32_t value) { out[at++] = static_cast<std::uint8_t>(value); };
    put(octets - 1);  // UDHL
    if (const auto &concat = content.concatenation) {
        if (concat->reference_bits == 16)
            put(kIeiConcat16), put(kConcat16Length), put(concat->reference >> 8), put(concat->reference & 0xFF);
        else
            put(kIeiConcat8), put(kConcat8Length), put(concat->reference & 0xFF);
        put(concat->parts), put(concat->part);
    }
    if (const auto &ports = content.ports) {
        if (ports->bits == 16) {
            put(kIeiPorts16), put(kPorts16Length);
            put(ports->destination >> 8), put(ports->destination & 0xFF), put(ports->source >> 8),
                put(ports->source & 0xFF);
        } else {
            put(kIeiPorts8), put(kPorts8Length), put(ports->destination), put(ports->source);
        }
    }
    if (content.single_shift != 0)
        put(kIeiSingleShift), put(kShiftLength), put(content.single_shift);
    if (content.locking_shift != 0)
        put(kIeiLockingShift), put(kShiftLength), put(content.locking_shift);
    return at;
}

}  // namespace velmora
