// SPDX-License-Identifier: Apache-2.0
// GSM SMS-SUBMIT (3GPP TS 23.040) behind an empty service-centre address, as a modem takes it in PDU mode.
#include <cstring>

#include "codec/protocol.h"
#include "compat/pdu_writer.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

using namespace velmora::protocol;

constexpr std::uint32_t kNoServiceCentre = 0x00;
constexpr std::uint32_t kSubmitWithValidity = kMtiSubmit | kValidityRelative << kValidityFormatShift;
constexpr std::uint32_t kSubmitWithHeader = kMtiSubmit | kUserDataHeaderBit;
constexpr std::uint32_t kMessageReference = 0x00;
constexpr std::uint32_t kProtocolId = 0x00;
constexpr std::uint32_t kSingleOverhead = 10;
constexpr std::uint32_t kPartOverhead = 17;

constexpr UserDataTrace kTrace{"sms_encode_pdu", TracePoint::kEncodeAddingHeader, TracePoint::kEncodeFillBits,
                               TracePoint::kEncodePacked};

}  // namespace
}  // namespace velmora::compat

using namespace velmora::compat;

extern "C" int sms_encode_pdu(const sms_message *sms, char *out, std::uint32_t out_size, std::uint32_t part_no,
                              std::uint32_t part_count, std::uint32_t msg_ref, int debug) {
    if (out == nullptr || sms == nullptr)
        return -1;
    std::memset(out, 0, out_size);
    const PartInfo part{part_no, part_count, msg_ref};
    if (!encodable(*sms, part) || sms->dst_telnum_len > sizeof sms->dst_telnum)
        return -1;

    const std::uint32_t bound = 7 * sms->text_len / 8 + semi_octets(sms->dst_telnum_len) +
                                (part.multipart() ? kPartOverhead : kSingleOverhead);
    return render_pdu(out, out_size, bound, [&](velmora::OctetWriter &pdu) {
        pdu.put(kNoServiceCentre);
        pdu.put(part.multipart() ? kSubmitWithHeader : kSubmitWithValidity);
        pdu.put(kMessageReference);
        pdu.put(sms->dst_telnum_len);  // TP-DA length counts digits
        pdu.put(sms->dst_telnum_type);
        append_digits(pdu, sms->dst_telnum, sms->dst_telnum_len);
        pdu.put(kProtocolId);
        pdu.put(sms->data_coding);
        if (!part.multipart())
            pdu.put(velmora::protocol::kValidityFourDays);
        append_user_data(pdu, *sms, part, kTrace, debug);
    });
}
