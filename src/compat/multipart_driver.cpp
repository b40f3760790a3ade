// SPDX-License-Identifier: Apache-2.0
// sms_encode_pdus: the whole text converted once to GSM codes, then sent as one PDU or
// cut into concatenated parts of at most 153 codes sharing one reference number.
#include <array>
#include <atomic>
#include <cstring>

#include "codec/protocol.h"
#include "compat/trace.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

using protocol::kEscape;

constexpr const char *kName = "sms_encode_pdus";
constexpr std::uint32_t kSinglePartCodes = 160;
constexpr std::uint32_t kPartCodes = 153;  // 160 septets less the concatenation header's 7
constexpr std::uint32_t kMessageCodes = SMS_MAX_PARTS * kPartCodes;
constexpr std::uint32_t kLastReference = 254;

using PartEncoder = int (*)(const sms_message *, char *, std::uint32_t, std::uint32_t, std::uint32_t,
                            std::uint32_t, int);

// The reference counter: 1..254, advanced once per call whatever its outcome.
std::atomic<std::uint32_t> l_ui_msg_id{0};

std::uint32_t next_reference() {
    std::uint32_t current = l_ui_msg_id.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
        next = current + 1 > kLastReference ? 1 : current + 1;
    } while (!l_ui_msg_id.compare_exchange_weak(current, next, std::memory_order_relaxed));
    return next;
}

// Part lengths: 153 codes each, 152 when the 153rd would be an ESC whose extension code
// lies beyond the part, and the rest in the last part. Parts past the slots are counted
// but not stored.
struct Cut {
    std::array<std::uint32_t, SMS_MAX_PARTS> lengths{};
    std::uint32_t parts = 0;
};

Cut cut_into_parts(const unsigned char *codes, std::uint32_t count) {
    Cut cut;
    for (std::uint32_t start = 0; start < count; ++cut.parts) {
        std::uint32_t length = count - start;
        if (length > kPartCodes) {
            const bool carry = codes[start + kPartCodes - 1] == kEscape && codes[start + kPartCodes - 2] != kEscape;
            length = kPartCodes - (carry ? 1 : 0);
        }
        if (cut.parts < SMS_MAX_PARTS)
            cut.lengths[cut.parts] = length;
        start += length;
    }
    return cut;
}

void place_codes(sms_message &sms, const unsigned char *codes, std::uint32_t count) {
    std::memcpy(sms.text, codes, count);
    sms.text_len = count;
}

void store_pdu(sms_pdu_slot &slot, const char (&pdu)[SMS_PDU_CAPACITY], int length) {
    std::memcpy(slot.pdu, pdu, sizeof pdu);
    slot.pdu_len = static_cast<std::uint32_t>(length);
}

int encode_single(sms_message &sms, const unsigned char *codes, std::uint32_t count, PartEncoder encode,
                  int debug) {
    place_codes(sms, codes, count);
    char pdu[SMS_PDU_CAPACITY];
    const int length = encode(&sms, pdu, sizeof pdu, 0, 0, 0, debug);
    if (length <= 0) {
        sms.pdu_count = 0;
        return -1;
    }
    store_pdu(sms.pdus[0], pdu, length);
    sms.pdu_count = 1;
    return 0;
}

int encode_parts(sms_message &sms, const unsigned char *codes, std::uint32_t count, PartEncoder encode,
                 std::uint32_t reference, int debug) {
    const Cut cut = cut_into_parts(codes, count);
    VELMORA_TRACE(debug, kName, TracePoint::kDriverParts, "SMS Message (length %ld) will be split up into %d parts\n",
                  static_cast<long>(sms.text_len), static_cast<int>(cut.parts));
    if (cut.parts > SMS_MAX_PARTS) {
        sms.pdu_count = 0;
        return -1;
    }
    sms.pdu_count = cut.parts;
    std::uint32_t remaining = count;
    const unsigned char *part_codes = codes;
    for (std::uint32_t i = 0; i < cut.parts; ++i) {
        const std::uint32_t length = cut.lengths[i];
        place_codes(sms, part_codes, length);
        sms.text[length] = '\0';
        part_codes += length;
        remaining -= length;
        if (i + 1 < cut.parts) {
            VELMORA_TRACE(debug, kName, TracePoint::kDriverPartLength, "This part length is %ld\n",
                          static_cast<long>(length));
            VELMORA_TRACE(debug, kName, TracePoint::kDriverPartText, "This part message is '%s'\n", sms.text);
            VELMORA_TRACE(debug, kName, TracePoint::kDriverCodesLeft, "Parts length left to encode is %d\n",
                          static_cast<int>(remaining));
        }
        char pdu[SMS_PDU_CAPACITY];
        const int pdu_length = encode(&sms, pdu, sizeof pdu, i + 1, cut.parts, reference, debug);
        if (pdu_length <= 0) {
            sms.pdu_count = 0;
            return -1;
        }
        store_pdu(sms.pdus[i], pdu, pdu_length);
    }
    VELMORA_TRACE(debug, kName, TracePoint::kDriverPartCount, "number of message parts: %ld\n",
                  static_cast<long>(sms.pdu_count));
    for (std::uint32_t i = 0; i < sms.pdu_count; ++i)
        VELMORA_TRACE(debug, kName, TracePoint::kDriverPdu, "encoded message #%d is '%s' with a length of %d\n",
                      static_cast<int>(i + 1), sms.pdus[i].pdu, static_cast<int>(sms.pdus[i].pdu_len));
    return 0;
}

}  // namespace
}  // namespace velmora::compat

using namespace velmora::compat;

extern "C" int sms_encode_pdus(sms_message *sms, int pdu_format, int debug) {
    const std::uint32_t reference = next_reference();
    if (sms == nullptr)
        return -1;
    sms->data_coding = pdu_format == SMS_FORMAT_3GPP2 ? velmora::protocol::kCdmaAscii7 : velmora::protocol::kDcsGsm7;
    if (sms->text_len > sizeof sms->text)
        return -1;

    unsigned char codes[kMessageCodes];
    const std::uint32_t count = encode_ascii_to_gsm0338(sms->text, sms->text_len, codes, sizeof codes, debug);
    if (count == 0)
        return -1;
    VELMORA_TRACE(debug, kName, TracePoint::kDriverCodes, "encoded length is %d\n", static_cast<int>(count));

    const PartEncoder encode = pdu_format == SMS_FORMAT_GSM ? sms_encode_pdu : sms_encode_3gpp2_pdu;
    if (count <= kSinglePartCodes)
        return encode_single(*sms, codes, count, encode, debug);
    return encode_parts(*sms, codes, count, encode, reference, debug);
}
