#include "codec/pdu_writer.h"

#include "codec/address.h"
#include "codec/septets.h"
#include "codec/trace.h"

namespace velmora {
namespace {

constexpr std::uint32_t kPackingArea = 161;
constexpr std::uint32_t kPackingCapacity = 160;
// UDHL, IEI 0x00 (concatenated message, 8-bit reference) and IEDL 3, then the three values.
constexpr std::uint32_t kConcatHeaderLength = 5;
constexpr std::uint32_t kConcatIei = 0x00;
constexpr std::uint32_t kConcatIedl = 3;
// The 6 header octets and one fill bit take 7 septets of TP-UDL.
constexpr std::uint32_t kHeaderSeptets = 7;
constexpr std::uint32_t kHeaderFillBits = 1;

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
    VELMORA_TRACE(debug, trace.function, trace.adding_header_line, "SMS is multipart - adding UDH\n");
    VELMORA_TRACE(debug, trace.function, trace.padding_line, "padding_bits = %d\n", kHeaderFillBits);
    unsigned char packed[kPackingArea];
    const std::uint32_t octets = encode7(codes, count, packed, kPackingCapacity, kHeaderFillBits, debug);
    VELMORA_TRACE(debug, trace.function, trace.packed_line, "encode7 returned size = %d\n", octets);
    writer.put(kHeaderSeptets + count);
    writer.put(kConcatHeaderLength);
    writer.put(kConcatIei);
    writer.put(kConcatIedl);
    writer.put(part.msg_ref);
    writer.put(part.part_count);
    writer.put(part.part_no);
    writer.put(packed, octets);
}

}  // namespace velmora
