// SPDX-License-Identifier: Apache-2.0
#include "compat/pdu_writer.h"

#include "codec/septets.h"
#include "codec/user_data_header.h"
#include "compat/septets.h"
#include "compat/telnum.h"

namespace velmora::compat {
namespace {

constexpr std::uint32_t kPackingArea = 161;
constexpr std::uint32_t kPackingCapacity = 160;
// A part's header: UDHL 5 and one concatenation element with an 8-bit reference.
constexpr std::uint32_t kConcatUdhl = 2 + kConcat8Length;
// Its 6 octets and one fill bit take 7 septets of TP-UDL.
constexpr std::uint32_t kHeaderSeptets = header_units(kConcatUdhl, LengthUnit::Septets);
constexpr std::uint32_t kHeaderFillBits = header_fill_bits(kConcatUdhl);

}  // namespace

bool encodable(const sms_message &sms, const PartInfo &part) {
    if (sms.text_len > sizeof sms.text)
        return false;
    return !part.multipart() || (sms.text_len >= 1 && sms.text_len <= kMaxPartCodes);
}

void append_digits(OctetWriter &writer, const char *digits, std::uint32_t count) {
    const int written = encode_telnum(digits, count, writer.cursor(), writer.room());
    if (written > 0)
        writer.advance(static_cast<std::uint32_t>(written));
}

void append_user_data(OctetWriter &writer, const sms_message &sms, const PartInfo &part,
                      const UserDataTrace &trace, int debug) {
    const auto *codes = reinterpret_cast<const unsigned char *>(sms.text);
    const std::uint32_t count = sms.text_len;
    if (!part.multipart()) {
        unsigned char *length = writer.cursor();
        writer.advance(1);
        writer.advance(encode7(codes, count, writer.cursor(), writer.room(), 0, debug));
        *length = static_cast<unsigned char>(count);
        return;
    }
    VELMORA_TRACE(debug, trace.function, trace.adding_header, "SMS is multipart - adding UDH\n");
    VELMORA_TRACE(debug, trace.function, trace.fill_bits, "padding_bits = %d\n", kHeaderFillBits);
    unsigned char packed[kPackingArea];
    const std::uint32_t octets = encode7(codes, count, packed, kPackingCapacity, kHeaderFillBits, debug);
    VELMORA_TRACE(debug, trace.function, trace.packed, "encode7 returned size = %d\n", octets);
    writer.put(kHeaderSeptets + count);
    const Concatenation concatenation{8, static_cast<std::uint16_t>(part.msg_ref & 0xFF),
                                      static_cast<std::uint8_t>(part.part_count),
                                      static_cast<std::uint8_t>(part.part_no)};
    writer.advance(static_cast<std::uint32_t>(write_header({concatenation, {}, 0, 0}, writer.cursor())));
    writer.put(packed, octets);
}

}  // namespace velmora::compat
