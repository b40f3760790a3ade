#include "codec/user_data_header.h"

#include "codec/hex.h"
#include "codec/trace.h"

namespace velmora {
namespace {

constexpr std::uint32_t kConcat8BitReference = 0x00;
constexpr std::uint32_t kConcat8BitLength = 3;

}  // namespace

std::uint32_t header_units(std::uint32_t udhl, LengthUnit unit) {
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

std::optional<std::uint32_t> read_user_data_header(HexFieldReader &reader, sms_message &sms,
                                                   std::uint32_t &length, LengthUnit unit,
                                                   const HeaderTrace &trace, int debug) {
    const std::uint32_t start = reader.position();
    const auto udhl = reader.octet();
    if (!udhl)
        return std::nullopt;
    VELMORA_TRACE(debug, trace.function, trace.udhl_line, "UDHL = 0x%X\n", *udhl);
    const std::uint32_t fill = header_fill_bits(*udhl);

    const auto iei = reader.octet();
    if (!iei)
        return std::nullopt;
    VELMORA_TRACE(debug, trace.function, trace.iei_line, "IEI = 0x%X\n", *iei);
    if (*iei == kConcat8BitReference) {
        const auto iedl = reader.octet();
        if (!iedl)
            return std::nullopt;
        if (*iedl == kConcat8BitLength) {
            const char *values = reader.take(6);
            if (values == nullptr)
                return std::nullopt;
            std::uint32_t concat[3];
            scan_three_octets(values, concat);
            sms.msg_id = concat[0];
            sms.total_parts = concat[1];
            sms.part_num = concat[2];
            VELMORA_TRACE(debug, trace.function, trace.concat_line, "msg_id=%d, total_parts=%d, part_num=%d\n",
                          static_cast<int>(concat[0]), static_cast<int>(concat[1]), static_cast<int>(concat[2]));
        }
    }
    // Later elements are not read: the user data starts UDHL + 1 octets after UDHL.
    reader.seek(start + 2 * (*udhl + 1));
    length -= header_units(*udhl, unit);
    VELMORA_TRACE(debug, trace.function, trace.reduced_line, "(-UDHL) user_data_length = 0x%X\n", length);
    return fill;
}

}  // namespace velmora
