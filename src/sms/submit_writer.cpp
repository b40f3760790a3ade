// SPDX-License-Identifier: Apache-2.0
// One part as an SMS-SUBMIT (3GPP TS 23.040 9.2.2.2) or compact 3GPP2 PDU, its user data
// header holding the concatenation, port and national language elements (9.2.3.24).
#include "codec/hex.h"
#include "codec/septets.h"
#include "codec/user_data_header.h"
#include "sms/submit.h"

namespace velmora::sms {
namespace {

using namespace velmora::protocol;

// The longest PDU: service centre 12, first octet, TP-MR, TP-DA 12, TP-PID, TP-DCS,
// TP-VP 7, TP-UDL, 140 octets of user data.
constexpr std::uint32_t kMaxPduOctets = 176;

// TP-VPF and TP-VP: without a choice, four days on a lone part and none on parts.
std::uint8_t validity_format(const SubmitFields &fields, const Plan &plan) {
    switch (fields.validity) {
    case VELMORA_VALIDITY_DEFAULT:
        return plan.parts == 1 ? VELMORA_VPF_RELATIVE : VELMORA_VPF_NONE;
    case VELMORA_VALIDITY_MINUTES:
        return VELMORA_VPF_RELATIVE;
    case VELMORA_VALIDITY_UNTIL:
        return VELMORA_VPF_ABSOLUTE;
    default:
        return VELMORA_VPF_NONE;
    }
}

void write_validity(OctetWriter &pdu, const SubmitFields &fields, std::uint8_t format) {
    if (format == VELMORA_VPF_RELATIVE)
        pdu.put(fields.validity == VELMORA_VALIDITY_DEFAULT ? kValidityFourDays : fields.validity_octets[0]);
    else if (format == VELMORA_VPF_ABSOLUTE)
        pdu.put(fields.validity_octets.data(), 7);
}

void write_gsm_head(OctetWriter &pdu, const SubmitFields &fields, const Plan &plan, bool header) {
    const std::uint8_t vpf = validity_format(fields, plan);
    pdu.put(kMtiSubmit | fields.flags | vpf << kValidityFormatShift | (header ? kUserDataHeaderBit : 0));
    pdu.put(fields.message_reference);
    write_tp_address(pdu, fields.to);
    pdu.put(fields.pid);
    pdu.put(data_coding_scheme(plan.alphabet, fields.message_class));
    write_validity(pdu, fields, vpf);
}

void write_cdma_head(OctetWriter &pdu, const SubmitFields &fields, const Plan &plan, bool header) {
    write_octet_address(pdu, fields.to);
    write_octet_address(pdu, fields.from);
    const std::uint16_t teleservice = header ? kWirelessEnhancedMessaging : kWirelessMessaging;
    pdu.put(teleservice >> 8), pdu.put(teleservice & 0xFF);
    pdu.put(kCdmaPriorityNormal);
    pdu.put(cdma_encoding(plan.alphabet));
}

// TP-UDL and TP-UD: UDL counts septets (GSM 7-bit), UCS-2 characters (3GPP2 UCS-2) or
// octets, the header's included. Septets follow the header after its fill bits; UCS-2
// characters of 3GPP2 follow an odd header directly, one octet of padding closing the data.
void write_user_data(OctetWriter &pdu, const SubmitFields &fields, const Plan &plan,
                     std::span<const std::uint8_t> header, const PartUnits &units) {
    const bool cdma = fields.format == VELMORA_FORMAT_CDMA;
    LengthUnit unit = LengthUnit::Octets;
    std::uint32_t body = units.length;
    if (plan.alphabet == VELMORA_ALPHABET_GSM7)
        unit = LengthUnit::Septets;
    else if (plan.alphabet == VELMORA_ALPHABET_UCS2 && cdma)
        unit = LengthUnit::Ucs2Characters, body = units.length / 2;
    const std::uint32_t header_length = header.empty() ? 0 : header_units(header[0], unit);
    pdu.put(header_length + body);
    pdu.put(header.data(), static_cast<std::uint32_t>(header.size()));
    if (unit == LengthUnit::Septets) {
        const std::uint32_t fill = header.empty() ? 0 : header_fill_bits(header[0]);
        if (units.length != 0)
            pdu.advance(encode7(units.octets.data(), units.length, pdu.cursor(), pdu.room(), fill));
        else if (fill != 0)
            pdu.put(0);  // the fill bits alone still take an octet of the TP-UDL septets
        return;
    }
    pdu.put(units.octets.data(), units.length);
    if (unit == LengthUnit::Ucs2Characters && header.size() % 2 != 0)
        pdu.put(0);
}

}  // namespace

HeaderContent header_content(const SubmitFields &fields, const Plan &plan, std::uint32_t part,
                             std::uint16_t reference) {
    HeaderContent content;
    if (plan.parts > 1)
        content.concatenation = Concatenation{fields.reference_bits, reference, static_cast<std::uint8_t>(plan.parts),
                                              static_cast<std::uint8_t>(part)};
    if (fields.port_bits != 0)
        content.ports = Ports{fields.port_bits, fields.destination_port, fields.source_port};
    content.single_shift = plan.language.shift;
    content.locking_shift = plan.language.locking;
    return content;
}

void write_part(const SubmitFields &fields, const Plan &plan, std::uint32_t part, std::uint16_t reference,
                const PartUnits &units, velmora_pdu &pdu) {
    std::array<std::uint8_t, kMaxHeaderOctets> header;
    const auto header_octets = static_cast<std::uint32_t>(write_header(header_content(fields, plan, part, reference), header.data()));
    std::array<std::uint8_t, kMaxPduOctets> octets;
    OctetWriter writer(octets.data(), octets.size());
    std::uint32_t tpdu_start = 0;
    if (fields.format == VELMORA_FORMAT_CDMA) {
        write_cdma_head(writer, fields, plan, header_octets != 0);
    } else {
        if (fields.smsc)
            write_octet_address(writer, *fields.smsc);
        else
            writer.put(0);
        tpdu_start = writer.written();
        write_gsm_head(writer, fields, plan, header_octets != 0);
    }
    write_user_data(writer, fields, plan, {header.data(), header_octets}, units);
    render_hex(octets.data(), writer.written(), pdu.hex);
    pdu.hex_length = 2 * writer.written();
    pdu.hex[pdu.hex_length] = '\0';
    pdu.tpdu_length = writer.written() - tpdu_start;
}

}  // namespace velmora::sms
