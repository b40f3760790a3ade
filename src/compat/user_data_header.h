// SPDX-License-Identifier: Apache-2.0
// The user data header as the record's decoders read it: UDHL and the first element only.
#pragma once

#include <cstdint>
#include <optional>

#include "codec/user_data_header.h"
#include "compat/hex_field.h"
#include "compat/trace.h"
#include "velmora.h"

namespace velmora::compat {

// Trace points of the header fields, one set per decoder.
struct HeaderTrace {
    const char *function;
    TracePoint udhl;
    TracePoint iei;
    TracePoint concatenation;
    TracePoint reduced_length;
};

// Reads UDHL and the first information element; an 8-bit-reference concatenation
// element (IEI 0x00, IEDL 3) sets msg_id, total_parts and part_num. Leaves the reader at
// the first user-data character and takes the header out of `length`. Returns the fill
// bits that align the first septet, or nullopt when the text ends within a field read.
std::optional<std::uint32_t> read_user_data_header(HexFieldReader &reader, sms_message &sms,
                                                   std::uint32_t &length, LengthUnit unit,
                                                   const HeaderTrace &trace, int debug);

}  // namespace velmora::compat
