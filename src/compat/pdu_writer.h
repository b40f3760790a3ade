// SPDX-License-Identifier: Apache-2.0
// What the SMS-SUBMIT and 3GPP2 encoders share: the part arguments, the user data
// with its concatenation header, and the scratch buffer rendered as hex text.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "codec/octet_writer.h"
#include "compat/trace.h"
#include "velmora.h"

namespace velmora::compat {

struct PartInfo {
    std::uint32_t part_no;
    std::uint32_t part_count;  // 0: a single PDU without a concatenation header
    std::uint32_t msg_ref;
    bool multipart() const { return part_count != 0; }
};

// Trace points of the user-data encoding, one set per encoder.
struct UserDataTrace {
    const char *function;
    TracePoint adding_header;
    TracePoint fill_bits;
    TracePoint packed;
};

// The most codes whose septets, behind the header's fill bit, fit the 160-octet packing area.
inline constexpr std::uint32_t kMaxPartCodes = 182;

// Whether the record's lengths stay inside its arrays and, for a part, whether the
// codes fit behind a concatenation header.
bool encodable(const sms_message &sms, const PartInfo &part);

// Appends the user-data length, then for a part the concatenation header and the codes
// packed behind one fill bit, for a single PDU the codes packed with no fill.
void append_user_data(OctetWriter &writer, const sms_message &sms, const PartInfo &part,
                      const UserDataTrace &trace, int debug);

// Builds a PDU of at most `bound` octets in a scratch buffer and renders it into `out`.
// Returns the hex characters written, or -1 when out_size < 2 x bound or memory runs out.
template <class WriteFields>
int render_pdu(char *out, std::uint32_t out_size, std::uint32_t bound, WriteFields &&write_fields) {
    if (out_size < 2 * std::uint64_t{bound})
        return -1;
    auto *octets = static_cast<unsigned char *>(std::malloc(bound));
    if (octets == nullptr)
        return -1;
    OctetWriter writer(octets, bound);
    write_fields(writer);
    const std::uint32_t characters = convert_hexarray_to_bytestr(octets, writer.written(), out, out_size);
    std::free(octets);
    return static_cast<int>(characters);
}

// Appends an address: the digits as swapped semi-octets, when they fit.
void append_digits(OctetWriter &writer, const char *digits, std::uint32_t count);

// Octets of `digits` semi-octets.
constexpr std::uint32_t semi_octets(std::uint32_t digits) { return digits / 2 + digits % 2; }

}  // namespace velmora::compat
