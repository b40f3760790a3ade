// SPDX-License-Identifier: Apache-2.0
// The sending options, checked member by member into the fields of the PDUs.
#include "sms/submit.h"

namespace velmora::sms {
namespace {

using namespace velmora::protocol;

constexpr std::uint16_t kLanguageBits = ((1u << VELMORA_LANGUAGE_COUNT) - 1) & ~1u;

// A type of address has bit 7 set (TS 23.040 9.1.2.5); the digits cannot go as an
// alphanumeric address (type of number 101).
constexpr bool digits_type(int type) { return type == 0 || (type >= 0x80 && type <= 0xFF && type_of_number(static_cast<std::uint8_t>(type)) != kTonAlphanumeric); }

bool number(const char *text, int type, const char *field, const char *type_field, Number &out,
            velmora_error &error) {
    if (!digits_type(type))
        return fail(error, VELMORA_E_ARGUMENT, type_field);
    std::uint32_t bad = 0;
    const auto parsed = parse_number(text, static_cast<std::uint8_t>(type), bad);
    if (!parsed)
        return fail(error, VELMORA_E_ARGUMENT, field, bad);
    out = *parsed;
    return true;
}

bool check_validity(const velmora_submit_options &o, SubmitFields &f, velmora_error &error) {
    f.validity = o.validity;
    switch (o.validity) {
    case VELMORA_VALIDITY_DEFAULT:
    case VELMORA_VALIDITY_OMIT:
        return true;
    case VELMORA_VALIDITY_MINUTES: {
        const auto vp = relative_validity_octet(o.validity_minutes);
        if (!vp)
            return fail(error, VELMORA_E_ARGUMENT, "validity_minutes");
        f.validity_octets[0] = *vp;
        return true;
    }
    case VELMORA_VALIDITY_UNTIL: {
        const auto octets = gsm_time_octets(o.validity_until);
        if (!octets)
            return fail(error, VELMORA_E_ARGUMENT, "validity_until");
        f.validity_octets = *octets;
        return true;
    }
    default:
        return fail(error, VELMORA_E_ARGUMENT, "validity");
    }
}

// Members the compact 3GPP2 layout has no field for must keep their defaults there.
bool check_cdma(const velmora_submit_options &o, velmora_error &error) {
    const struct {
        bool set;
        const char *field;
    } unsupported[] = {
        {o.smsc != nullptr && o.smsc[0] != '\0', "smsc"},
        {o.message_reference != 0, "message_reference"},
        {o.status_report != 0, "status_report"},
        {o.reject_duplicates != 0, "reject_duplicates"},
        {o.reply_path != 0, "reply_path"},
        {o.message_class != -1, "message_class"},
        {o.pid != 0, "pid"},
        {o.validity != VELMORA_VALIDITY_DEFAULT && o.validity != VELMORA_VALIDITY_OMIT, "validity"},
    };
    for (const auto &member : unsupported)
        if (member.set)
            return fail(error, VELMORA_E_ARGUMENT, member.field);
    return true;
}

bool check_addresses(const velmora_submit_options &o, SubmitFields &f, velmora_error &error) {
    if (o.to == nullptr)
        return fail(error, VELMORA_E_ARGUMENT, "to");
    if (!number(o.to, o.to_type, "to", "to_type", f.to, error))
        return false;
    if (f.format == VELMORA_FORMAT_CDMA) {
        if (o.from == nullptr || o.from[0] == '\0')
            return fail(error, VELMORA_E_ARGUMENT, "from");
        return number(o.from, o.from_type, "from", "from_type", f.from, error);
    }
    if (o.from != nullptr && o.from[0] != '\0')
        return fail(error, VELMORA_E_ARGUMENT, "from");
    if (o.from_type != 0)
        return fail(error, VELMORA_E_ARGUMENT, "from_type");
    if (o.smsc != nullptr && o.smsc[0] != '\0') {
        Number smsc;
        if (!number(o.smsc, 0, "smsc", "smsc", smsc, error))
            return false;
        f.smsc = smsc;
    }
    return true;
}

}  // namespace

bool check_options(const velmora_submit_options &o, bool is_text, bool addresses, SubmitFields &f,
                   velmora_error &error) {
    if (o.format > VELMORA_FORMAT_CDMA)
        return fail(error, VELMORA_E_ARGUMENT, "format");
    f.format = o.format;
    if (f.format == VELMORA_FORMAT_CDMA && !check_cdma(o, error))
        return false;
    const bool data_alphabet = o.alphabet == VELMORA_ALPHABET_AUTO || o.alphabet == VELMORA_ALPHABET_8BIT;
    if (o.alphabet > VELMORA_ALPHABET_AUTO || (!is_text && !data_alphabet))
        return fail(error, VELMORA_E_ARGUMENT, "alphabet");
    f.alphabet = o.alphabet;
    if (o.languages & ~kLanguageBits)
        return fail(error, VELMORA_E_ARGUMENT, "languages");
    f.languages = o.languages;
    if (addresses && !check_addresses(o, f, error))
        return false;
    f.flags = static_cast<std::uint8_t>((o.reject_duplicates ? kRejectDuplicatesBit : 0) |
                                        (o.status_report ? kStatusReportBit : 0) | (o.reply_path ? kReplyPathBit : 0));
    f.message_reference = o.message_reference;
    f.pid = o.pid;
    if (o.message_class < -1 || o.message_class > 3)
        return fail(error, VELMORA_E_ARGUMENT, "message_class");
    f.message_class = o.message_class;
    if (!check_validity(o, f, error))
        return false;

    if (o.reference_bits != 8 && o.reference_bits != 16)
        return fail(error, VELMORA_E_ARGUMENT, "reference_bits");
    f.reference_bits = o.reference_bits;
    if (o.reference < -1 || o.reference > (o.reference_bits == 8 ? 0xFF : 0xFFFF))
        return fail(error, VELMORA_E_ARGUMENT, "reference");
    f.reference = o.reference;
    if (o.port_bits != 0 && o.port_bits != 8 && o.port_bits != 16)
        return fail(error, VELMORA_E_ARGUMENT, "port_bits");
    f.port_bits = o.port_bits;
    if (o.port_bits == 8 && o.destination_port > 0xFF)
        return fail(error, VELMORA_E_ARGUMENT, "destination_port");
    if (o.port_bits == 8 && o.source_port > 0xFF)
        return fail(error, VELMORA_E_ARGUMENT, "source_port");
    f.destination_port = o.destination_port;
    f.source_port = o.source_port;
    return true;
}

}  // namespace velmora::sms
