// SPDX-License-Identifier: Apache-2.0
// The compact 3GPP2 submit layout: destination, callback, teleservice, priority,
// encoding and user data, each address led by its octet count.
#include <cstring>

#include "codec/protocol.h"
#include "compat/pdu_writer.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

using namespace velmora::protocol;

constexpr std::uint32_t kSingleOverhead = 12;
constexpr std::uint32_t kPartOverhead = 19;

constexpr const char *kName = "sms_encode_3gpp2_pdu";
constexpr UserDataTrace kTrace{kName, TracePoint::kCdmaEncodeAddingHeader, TracePoint::kCdmaEncodeFillBits,
                               TracePoint::kCdmaEncodePacked};

// addr_len counts the type octet and the digit octets.
void append_address(velmora::OctetWriter &pdu, const char *digits, std::uint32_t count, std::uint32_t type) {
    pdu.put(semi_octets(count) + 1);
    pdu.put(type);
    append_digits(pdu, digits, count);
}

}  // namespace
}  // namespace velmora::compat

using namespace velmora::compat;

extern "C" int sms_encode_3gpp2_pdu(const sms_message *sms, char *out, std::uint32_t out_size,
                                    std::uint32_t part_no, std::uint32_t part_count, std::uint32_t msg_ref,
                                    int debug) {
    if (out == nullptr || sms == nullptr)
        return -1;
    std::memset(out, 0, out_size);
    if (sms->dst_telnum_len == 0) {
        VELMORA_TRACE(debug, kName, TracePoint::kCdmaEncodeNoDestination, "Destination number length is not valid\n");
        return -1;
    }
    if (sms->telnum_len == 0) {
        VELMORA_TRACE(debug, kName, TracePoint::kCdmaEncodeNoCallback, "Source callback number length is not valid\n");
        return -1;
    }
    const PartInfo part{part_no, part_count, msg_ref};
    if (!encodable(*sms, part) || sms->dst_telnum_len > sizeof sms->dst_telnum ||
        sms->telnum_len > sizeof sms->telnum)
        return -1;

    const std::uint32_t bound = 7 * sms->text_len / 8 + semi_octets(sms->dst_telnum_len) +
                                semi_octets(sms->telnum_len) + (part.multipart() ? kPartOverhead : kSingleOverhead);
    return render_pdu(out, out_size, bound, [&](velmora::OctetWriter &pdu) {
        append_address(pdu, sms->dst_telnum, sms->dst_telnum_len, sms->dst_telnum_type);
        append_address(pdu, sms->telnum, sms->telnum_len, sms->telnum_type);
        const std::uint16_t teleservice = part.multipart() ? kWirelessEnhancedMessaging : kWirelessMessaging;
        pdu.put(teleservice >> 8);
        pdu.put(teleservice & 0xFF);
        pdu.put(kCdmaPriorityNormal);
        pdu.put(sms->data_coding);
        append_user_data(pdu, *sms, part, kTrace, debug);
    });
}
