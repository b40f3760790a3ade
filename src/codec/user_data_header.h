// SPDX-License-Identifier: Apache-2.0
// The user data header (3GPP TS 23.040 9.2.3.24): its length in TP-UDL units, the fill
// bits behind it, its information elements walked, and the concatenation and port
// elements read, written and sized, all in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "codec/protocol.h"

namespace velmora {

// What the user-data length counts, and so how much of it the header takes.
enum class LengthUnit { Septets, Octets, Ucs2Characters };

// Header octets (UDHL included) as units of the user-data length.
constexpr std::uint32_t header_units(std::uint32_t udhl, LengthUnit unit) {
    const std::uint32_t octets = udhl + 1;
    switch (unit) {
    case LengthUnit::Septets:
        return (8 * octets + 6) / 7;
    case LengthUnit::Octets:
        return octets;
    case LengthUnit::Ucs2Characters:
        return (octets + 1) / 2;
    }
    return octets;
}

// Zero bits that bring the first septet to a septet boundary behind a header of UDHL octets.
constexpr std::uint32_t header_fill_bits(std::uint32_t udhl) { return (7 - (udhl + 1) * 8 % 7) % 7; }

// Data octets of each element a sent header may hold.
inline constexpr std::uint8_t kConcat8Length = 3, kConcat16Length = 4, kPorts8Length = 2, kPorts16Length = 4,
                              kShiftLength = 1;

// One information element: its data is header[offset .. offset + length).
struct HeaderElement {
    std::uint8_t iei;
    std::uint8_t length;
    std::uint8_t offset;
};

// Calls visit(element) for each element of a header (the UDHL octets after UDHL), in
// order. Returns the offset in the header of the first element that runs past its end,
// nullopt when every element fits.
template <class Visit>
std::optional<std::size_t> for_each_element(std::span<const std::uint8_t> header, Visit &&visit) {
    for (std::size_t at = 0; at < header.size();) {
        const std::size_t data_at = at + 2;
        if (data_at > header.size() || data_at + header[at + 1] > header.size())
            return at;
        visit(HeaderElement{header[at], header[at + 1], static_cast<std::uint8_t>(data_at)});
        at = data_at + header[at + 1];
    }
    return std::nullopt;
}

// A concatenation element (IEI 0x00 with 3 octets, 0x08 with 4), by its shape alone: a
// part 0 or beyond the count is for the reader to judge.
struct Concatenation {
    std::uint8_t reference_bits = 8;
    std::uint16_t reference = 0;
    std::uint8_t parts = 0;
    std::uint8_t part = 0;
};
std::optional<Concatenation> read_concatenation(std::uint8_t iei, std::span<const std::uint8_t> data);

// An application port addressing element (IEI 0x04 with 2 octets, 0x05 with 4).
struct Ports {
    std::uint8_t bits = 16;
    std::uint16_t destination = 0;
    std::uint16_t source = 0;
};
std::optional<Ports> read_ports(std::uint8_t iei, std::span<const std::uint8_t> data);

// The elements a sent message's header holds, in this order.
struct HeaderContent {
    std::optional<Concatenation> concatenation;
    std::optional<Ports> ports;
    std::uint8_t single_shift = 0;   // national language identifiers, 0: none
    std::uint8_t locking_shift = 0;
};

// Octets of the header, UDHL included; 0 when it has no element.
std::size_t header_octets(const HeaderContent &content);

// Writes the header (UDHL first) into out, which holds header_octets(content) octets;
// returns that count.
std::size_t write_header(const HeaderContent &content, std::uint8_t *out);

}  // namespace velmora
