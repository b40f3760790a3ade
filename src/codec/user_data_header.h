// The user-data header in front of received user data (TP-UDHI set, or a 3GPP2
// teleservice that always carries one).
#pragma once

#include <cstdint>
#include <optional>

#include "codec/pdu_fields.h"
#include "velmora.h"

namespace velmora {

// What the user-data length counts, and so how much of it the header takes.
enum class LengthUnit { Septets, Octets, Ucs2Characters };

// Header octets (UDHL included) as units of the user-data length (3GPP TS 23.040 9.2.3.24).
std::uint32_t header_units(std::uint32_t udhl, LengthUnit unit);

// Zero bits that bring the first septet to a septet boundary behind a header of UDHL octets.
constexpr std::uint32_t header_fill_bits(std::uint32_t udhl) { return (7 - (udhl + 1) * 8 % 7) % 7; }

// Trace points of the header fields, numbered per decoder.
struct HeaderTrace {
    const char *function;
    int udhl_line;
    int iei_line;
    int concat_line;
    int reduced_line;
};

// Reads UDHL and the first information element; an 8-bit-reference concatenation
// element (IEI 0x00, IEDL 3) sets msg_id, total_parts and part_num. Leaves the reader at
// the first user-data character and takes the header out of `length`. Returns the fill
// bits that align the first septet, or nullopt when the text ends within a field read.
std::optional<std::uint32_t> read_user_data_header(HexFieldReader &reader, sms_message &sms,
                                                   std::uint32_t &length, LengthUnit unit,
                                                   const HeaderTrace &trace, int debug);

}  // namespace velmora
