// SPDX-License-Identifier: Apache-2.0
#include "compat/user_data_header.h"

namespace velmora::compat {

std::optional<std::uint32_t> read_user_data_header(HexFieldReader &reader, sms_message &sms,
                                                   std::uint32_t &length, LengthUnit unit,
                                                   const HeaderTrace &trace, int debug) {
    const std::uint32_t start = reader.position();
    const auto udhl = reader.octet(trace.udhl, "UDHL");
    if (!udhl)
        return std::nullopt;
    const std::uint32_t fill = header_fill_bits(*udhl);

    const auto iei = reader.octet(trace.iei, "IEI");
    if (!iei)
        return std::nullopt;
    if (*iei == protocol::kIeiConcat8) {
        const auto iedl = reader.octet();
        if (!iedl)
            return std::nullopt;
        if (*iedl == kConcat8Length) {
            const char *values = reader.take(6);
            if (values == nullptr)
                return std::nullopt;
            std::uint32_t concat[3];
            scan_three_octets(values, concat);
            sms.msg_id = concat[0];
            sms.total_parts = concat[1];
            sms.part_num = concat[2];
            VELMORA_TRACE(debug, trace.function, trace.concatenation, "msg_id=%d, total_parts=%d, part_num=%d\n",
                          static_cast<int>(concat[0]), static_cast<int>(concat[1]), static_cast<int>(concat[2]));
        }
    }
    // Later elements are not read: the user data starts UDHL + 1 octets after UDHL.
    reader.seek(start + 2 * (*udhl + 1));
    length -= header_units(*udhl, unit);
    VELMORA_TRACE(debug, trace.function, trace.reduced_length, "(-UDHL) user_data_length = 0x%X\n", length);
    return fill;
}

}  // namespace velmora::compat
