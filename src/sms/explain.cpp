// SPDX-License-Identifier: Apache-2.0
// The field map: each field the decoder read, in order, with the parts a field holds
// (first-octet flags, the user data header's elements, the fill bits) and a short meaning.
#include <array>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "codec/user_data_header.h"
#include "sms/abi.h"
#include "sms/decoders.h"

namespace velmora::sms {
namespace {

using namespace velmora::protocol;

// More entries than any PDU's fields make, header elements aside.
constexpr std::size_t kMaxReads = 40;

struct Entry {
    const char *name;
    std::size_t offset;
    std::size_t length;
    std::uint8_t level = 0;
    std::uint8_t first_bit = 0;
    std::uint8_t bit_count = 0;
    std::uint8_t kind = VELMORA_FIELD_READ;
    std::uint32_t warnings = 0;
};

// The caller's entries: the first `capacity` are written, all are counted.
class Explanation {
public:
    Explanation(velmora_field *fields, std::size_t capacity)
        : fields_(fields), capacity_(capacity), stride_(capacity != 0 ? fields->size : 0) {}

    __attribute__((format(printf, 3, 4))) void add(const Entry &entry, const char *format, ...) {
        velmora_field field{};
        field.size = sizeof field;
        field.kind = entry.kind, field.level = entry.level;
        field.first_bit = entry.first_bit, field.bit_count = entry.bit_count;
        field.offset = static_cast<std::uint32_t>(entry.offset);
        field.length = static_cast<std::uint32_t>(entry.length);
        field.name = entry.name;
        field.warnings = entry.warnings;
        std::va_list args;
        va_start(args, format);
        std::vsnprintf(field.meaning, sizeof field.meaning, format, args);
        va_end(args);
        if (count_ < capacity_)
            write_prefix(field, element(fields_, count_, stride_));
        ++count_;
    }

    std::size_t count() const { return count_; }

private:
    velmora_field *fields_;
    std::size_t capacity_;
    std::uint32_t stride_;
    std::size_t count_ = 0;
};

// A field and what decoding it gave.
struct Read {
    const FieldRead &field;
    const velmora_message &m;
    bool whole;  // read to its end: reading did not stop inside it
    std::uint32_t warnings;  // met in its octets, or before the next field's
    Entry entry() const { return {field.name, field.offset, field.length, 0, 0, 0, VELMORA_FIELD_READ, warnings}; }
};

// ---- Addresses ---------------------------------------------------------------------

constexpr const char *kTypesOfNumber[8] = {"unknown",    "international", "national",    "network-specific",
                                           "subscriber", "alphanumeric",  "abbreviated", "reserved"};

const char *numbering_plan(std::uint8_t npi) {
    switch (npi) {
    case 0: return "unknown plan";
    case 1: return "ISDN";
    case 3: return "data";
    case 4: return "telex";
    case 5: case 6: return "service-centre-specific";
    case 8: return "national plan";
    case 9: return "private plan";
    case 10: return "ERMES";
    default: return "reserved plan";
    }
}

const velmora_address *address_of(const char *name, const velmora_message &m) {
    static constexpr const char *kOriginators[] = {"TP-OA", "address", "callback"};
    static constexpr const char *kRecipients[] = {"TP-DA", "TP-RA", "destination"};
    if (std::strcmp(name, "SMSC address") == 0)
        return &m.smsc;
    for (const char *n : kOriginators)
        if (std::strcmp(name, n) == 0)
            return &m.originator;
    for (const char *n : kRecipients)
        if (std::strcmp(name, n) == 0)
            return &m.recipient;
    return nullptr;
}

void explain_address(Explanation &out, const Read &r, const velmora_address &a) {
    if (r.field.length == 1)
        out.add(r.entry(), "none: the modem's own");
    else if (a.text[0] == '\0')
        out.add(r.entry(), "%s, %s: no digits", kTypesOfNumber[a.ton], numbering_plan(a.npi));
    else if (a.ton == kTonAlphanumeric)
        out.add(r.entry(), "alphanumeric: %s", a.text);
    else
        out.add(r.entry(), "%s, %s: %s", kTypesOfNumber[a.ton], numbering_plan(a.npi), a.text);
}

// ---- The first octet -----------------------------------------------------------------

struct Flag {
    const char *name;
    std::uint8_t first_bit;
    std::uint8_t bit_count;
    std::array<const char *, 4> values;
};

constexpr Flag kMti = {"TP-MTI", 0, 2, {"SMS-DELIVER", "SMS-SUBMIT", "SMS-STATUS-REPORT", "reserved"}};
constexpr Flag kMms = {"TP-MMS", 2, 1, {"more messages waiting", "no more messages"}};
constexpr Flag kLp = {"TP-LP", 3, 1, {"no loop prevention", "loop prevention"}};
constexpr Flag kUdhi = {"TP-UDHI", 6, 1, {"no user data header", "user data header present"}};
constexpr Flag kRp = {"TP-RP", 7, 1, {"no reply path", "reply path set"}};
constexpr Flag kDeliverFlags[] = {kMti, kMms, kLp, {"TP-SRI", 5, 1, {"no status report", "status report to be returned"}},
                                  kUdhi, kRp};
constexpr Flag kSubmitFlags[] = {kMti,
                                 {"TP-RD", 2, 1, {"accept duplicates", "reject duplicates"}},
                                 {"TP-VPF", 3, 2, {"no TP-VP", "enhanced TP-VP", "relative TP-VP", "absolute TP-VP"}},
                                 {"TP-SRR", 5, 1, {"no status report requested", "status report requested"}},
                                 kUdhi,
                                 kRp};
constexpr Flag kStatusReportFlags[] = {
    kMti, kMms, kLp, {"TP-SRQ", 5, 1, {"report on an SMS-SUBMIT", "report on an SMS-COMMAND"}}, kUdhi};

void explain_first_octet(Explanation &out, const Read &r) {
    out.add(r.entry(), "%s", r.whole ? kMti.values[r.m.type] : "");
    if (!r.whole)
        return;
    std::span<const Flag> flags = kDeliverFlags;
    if (r.m.type == VELMORA_SUBMIT)
        flags = kSubmitFlags;
    else if (r.m.type == VELMORA_STATUS_REPORT)
        flags = kStatusReportFlags;
    for (const Flag &f : flags) {
        const unsigned value = r.m.first_octet >> f.first_bit & ((1u << f.bit_count) - 1);
        out.add({f.name, r.field.offset, 1, 1, f.first_bit, f.bit_count}, "%s", f.values[value]);
    }
}

// ---- Single octets, times, validity ------------------------------------------------------

void explain_pid(Explanation &out, const Read &r) {
    const std::uint8_t pid = r.m.pid;
    if (pid == 0x00)
        out.add(r.entry(), "plain short message");
    else if (pid == 0x40)
        out.add(r.entry(), "short message type 0: acknowledge, do not store");
    else if (pid >= 0x41 && pid <= 0x47)
        out.add(r.entry(), "replace short message type %u", pid - 0x40u);
    else if (pid == 0x7F)
        out.add(r.entry(), "(U)SIM data download");
    else if ((pid & 0xE0) == 0x20)
        out.add(r.entry(), "telematic interworking, device 0x%02X", pid & 0x1Fu);
    else
        out.add(r.entry(), "0x%02X", pid);
}

constexpr const char *kAlphabets[] = {"GSM 7-bit", "8-bit data", "UCS-2"};
constexpr const char *kWaitingKinds[] = {"", "voicemail", "fax", "e-mail", "other"};

void explain_dcs(Explanation &out, const Read &r) {
    const velmora_message &m = r.m;
    char cls[16] = "";
    if (m.message_class >= 0)
        std::snprintf(cls, sizeof cls, ", class %d", m.message_class);
    if (m.format == VELMORA_FORMAT_CDMA)
        return out.add(r.entry(), "%s", kAlphabets[m.alphabet]);
    if (m.dcs_waiting.kind != VELMORA_WAITING_NONE)
        return out.add(r.entry(), "%s, %s waiting %s, %s", kAlphabets[m.alphabet], kWaitingKinds[m.dcs_waiting.kind],
                       m.dcs_waiting.active ? "on" : "off", m.dcs_waiting.store ? "store" : "discard");
    const std::uint8_t group = dcs_group(m.dcs);
    if (group >= 0x8 && group <= 0xB)
        return out.add(r.entry(), "reserved coding group, read as GSM 7-bit");
    out.add(r.entry(), "%s%s%s%s", kAlphabets[m.alphabet], cls, m.compressed ? ", compressed" : "",
            m.auto_delete ? ", automatic deletion" : "");
}

// A time the decoder left out (VELMORA_WARNING_TIME) is not shown as one.
void explain_time(Explanation &out, const Read &r, const velmora_time &t, std::uint32_t present_bit) {
    if (!(r.m.present & present_bit))
        return out.add(r.entry(), "not a date and time");
    if (!t.has_utc_offset)
        return out.add(r.entry(), "%04u-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour, t.minute, t.second);
    const int minutes = t.utc_offset < 0 ? -t.utc_offset : t.utc_offset;
    out.add(r.entry(), "%04u-%02u-%02u %02u:%02u:%02u %c%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second,
            t.utc_offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

// A period in the largest unit that divides it.
void put_period(char *out, std::size_t size, std::uint32_t seconds) {
    static constexpr struct { std::uint32_t seconds; const char *unit; } kUnits[] = {
        {7 * 86400, "weeks"}, {86400, "days"}, {3600, "hours"}, {60, "minutes"}, {1, "seconds"}};
    for (const auto &u : kUnits)
        if (seconds % u.seconds == 0 && seconds >= u.seconds)
            return static_cast<void>(std::snprintf(out, size, "%u %s", seconds / u.seconds, u.unit));
    std::snprintf(out, size, "%u seconds", seconds);
}

void explain_validity(Explanation &out, const Read &r) {
    char period[32];
    put_period(period, sizeof period, r.m.validity_seconds);
    switch (r.m.validity_format) {
    case VELMORA_VPF_RELATIVE:
        return out.add(r.entry(), "relative: %s", period);
    case VELMORA_VPF_ABSOLUTE:
        return explain_time(out, r, r.m.validity_until, VELMORA_HAS_VALIDITY);
    default:
        return out.add(r.entry(), "enhanced%s: %s", r.m.validity_single_shot ? ", single shot" : "",
                       r.m.validity_seconds != 0 ? period : "no period");
    }
}

void explain_status(Explanation &out, const Read &r) {
    out.add(r.entry(), "%s", velmora_delivery_status_text(r.m.status));
}

void explain_parameter_indicator(Explanation &out, const Read &r) {
    static constexpr struct { std::uint8_t bit; const char *field; } kAnnounced[] = {
        {kPiPid, "TP-PID"}, {kPiDcs, "TP-DCS"}, {kPiUdl, "TP-UDL"}};
    char list[48] = "";
    for (const auto &a : kAnnounced)
        if (r.m.parameter_indicator & a.bit)
            std::snprintf(list + std::strlen(list), sizeof list - std::strlen(list), "%s%s", list[0] ? ", " : "",
                          a.field);
    out.add(r.entry(), "%s", list[0] ? list : "nothing follows");
}

void explain_message_reference(Explanation &out, const Read &r) { out.add(r.entry(), "%u", r.m.message_reference); }

// ---- User data -------------------------------------------------------------------------

bool counts_septets(const velmora_message &m) { return m.alphabet == VELMORA_ALPHABET_GSM7 && !m.compressed; }

void explain_user_data_length(Explanation &out, const Read &r) {
    const char *unit = counts_septets(r.m) ? "septets"
                       : r.m.format == VELMORA_FORMAT_CDMA && r.m.alphabet == VELMORA_ALPHABET_UCS2 ? "UCS-2 characters"
                                                                                                    : "octets";
    out.add(r.entry(), "%u %s", r.m.user_data_length, unit);
}

// Text in quotes, cut at a character boundary with an ellipsis when it is long.
void put_quoted(char *out, std::size_t size, const char *text, std::size_t length) {
    constexpr std::size_t kRoom = VELMORA_MEANING_CAPACITY - 8;
    if (length <= kRoom)
        return static_cast<void>(std::snprintf(out, size, "\"%.*s\"", static_cast<int>(length), text));
    std::size_t cut = kRoom;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::snprintf(out, size, "\"%.*s\u2026\"", static_cast<int>(cut), text);
}

void explain_element(Explanation &out, const velmora_message &m, const velmora_element &e, std::size_t at) {
    const std::span<const std::uint8_t> data(m.udh + e.offset, e.length);
    const Entry entry{"information element", at, 2u + e.length, 1};
    if (const auto c = read_concatenation(e.iei, data)) {
        const bool valid = c->parts != 0 && c->part != 0 && c->part <= c->parts;
        return out.add({c->reference_bits == 8 ? "concatenation, 8-bit reference" : "concatenation, 16-bit reference",
                        at, entry.length, 1},
                       "part %u of %u, reference 0x%0*X%s", c->part, c->parts, c->reference_bits / 4, c->reference,
                       valid ? "" : " (no such part: ignored)");
    }
    if (const auto p = read_ports(e.iei, data))
        return out.add({p->bits == 8 ? "application ports, 8-bit" : "application ports, 16-bit", at, entry.length, 1},
                       "to port %u from port %u", p->destination, p->source);
    if ((e.iei == kIeiSingleShift || e.iei == kIeiLockingShift) && e.length == 1) {
        const char *language = velmora_language_name(data[0]);
        return out.add({e.iei == kIeiSingleShift ? "national single shift" : "national locking shift", at,
                        entry.length, 1},
                       "%s", language != nullptr ? language : "unknown language: ignored");
    }
    if (e.iei == kIeiSpecialMessage && e.length == 2)
        return out.add({"special SMS message indication", at, entry.length, 1}, "%u %s waiting, %s", data[1],
                       kWaitingKinds[(data[0] & 0x03) + 1], data[0] & 0x80 ? "store" : "discard");
    out.add(entry, "IEI 0x%02X, %u octets", e.iei, e.length);
}

void explain_body(Explanation &out, const velmora_message &m, const Entry &entry) {
    if (!(m.present & VELMORA_HAS_TEXT))
        return out.add(entry, "%u octets of data", m.data_length);
    char quoted[VELMORA_MEANING_CAPACITY];
    put_quoted(quoted, sizeof quoted, m.text, m.text_length);
    out.add(entry, "%s", quoted);
}

// TP-UD: UDHL, the elements and the fill bits under it, then the text or data.
void explain_user_data(Explanation &out, const Read &r) {
    const velmora_message &m = r.m;
    const bool has_header = (m.present & VELMORA_HAS_UDH) != 0;
    if (!has_header) {
        if (r.whole)
            return explain_body(out, m, r.entry());
        return out.add(r.entry(), "%s", "");
    }
    out.add(r.entry(), "a header of %u octets, then %s", m.udh_length + 1u,
            m.present & VELMORA_HAS_TEXT ? "text" : "data");
    const std::size_t at = r.field.offset;
    out.add({"UDHL", at, 1, 1}, "%u octets", m.udh_length);
    for (std::size_t i = 0; i < m.element_count; ++i)
        explain_element(out, m, m.elements[i], at + 1 + m.elements[i].offset - 2u);
    if (!r.whole)
        return;
    const std::size_t body_at = at + 1 + m.udh_length;
    const std::uint32_t fill = counts_septets(m) ? header_fill_bits(m.udh_length) : 0;
    if (fill != 0 && body_at < at + r.field.length)
        out.add({"fill bits", body_at, 1, 1, 0, static_cast<std::uint8_t>(fill)}, "%u zero bits align the first septet",
                fill);
    if (body_at < at + r.field.length)
        explain_body(out, m, {m.present & VELMORA_HAS_TEXT ? "text" : "data", body_at, at + r.field.length - body_at, 1});
}

// ---- 3GPP2 -------------------------------------------------------------------------------

void explain_teleservice(Explanation &out, const Read &r) {
    const std::uint16_t t = r.m.teleservice;
    out.add(r.entry(), "%u: %s", t,
            t == kWirelessMessaging           ? "wireless messaging"
            : t == kWirelessEnhancedMessaging ? "wireless enhanced messaging, with a user data header"
                                              : "not read further");
}

void explain_priority(Explanation &out, const Read &r) { out.add(r.entry(), "%u", r.m.priority); }

void explain_encoding(Explanation &out, const Read &r) {
    static constexpr struct { std::uint8_t value; const char *name; } kEncodings[] = {
        {kCdmaOctets, "octets"}, {kCdmaAscii7, "7-bit ASCII"}, {kCdmaIa5, "IA5"},
        {kCdmaUcs2, "UCS-2"},    {kCdmaLatin, "Latin-1"},      {kCdmaGsm7, "GSM 7-bit"}};
    for (const auto &e : kEncodings)
        if (e.value == r.m.dcs)
            return out.add(r.entry(), "%s", e.name);
    out.add(r.entry(), "unknown encoding %u", r.m.dcs);
}

// ---- Dispatch ------------------------------------------------------------------------------

using Explainer = void (*)(Explanation &, const Read &);

void explain_timestamp(Explanation &out, const Read &r) {
    explain_time(out, r, r.m.timestamp, VELMORA_HAS_TIMESTAMP);
}
void explain_discharge_time(Explanation &out, const Read &r) {
    explain_time(out, r, r.m.discharge_time, VELMORA_HAS_DISCHARGE_TIME);
}
void explain_trailing_data(Explanation &out, const Read &r) {
    out.add(r.entry(), "%u octet%s after the user data", r.field.length, r.field.length == 1 ? "" : "s");
}

constexpr struct { const char *name; Explainer explain; } kExplainers[] = {
    {"first octet", explain_first_octet},
    {"TP-MR", explain_message_reference},
    {"TP-PID", explain_pid},
    {"TP-DCS", explain_dcs},
    {"TP-SCTS", explain_timestamp},
    {"time stamp", explain_timestamp},
    {"TP-DT", explain_discharge_time},
    {"TP-VP", explain_validity},
    {"TP-ST", explain_status},
    {"TP-PI", explain_parameter_indicator},
    {"TP-UDL", explain_user_data_length},
    {"user data length", explain_user_data_length},
    {"TP-UD", explain_user_data},
    {"user data", explain_user_data},
    {"teleservice", explain_teleservice},
    {"priority", explain_priority},
    {"encoding", explain_encoding},
    {"trailing data", explain_trailing_data},
};

void explain_read(Explanation &out, const Read &r) {
    if (const velmora_address *address = address_of(r.field.name, r.m))
        return r.whole ? explain_address(out, r, *address) : out.add(r.entry(), "%s", "");
    for (const auto &e : kExplainers)
        if (std::strcmp(e.name, r.field.name) == 0) {
            if (r.whole || e.explain == explain_user_data || e.explain == explain_first_octet)
                return e.explain(out, r);
            break;
        }
    out.add(r.entry(), "%s", "");
}

// The octets a failure covers: the rest of the PDU when it ends early, has octets too many
// or stops being hex; else the octet whose value is wrong.
std::size_t failure_length(velmora_status status, std::size_t offset, std::size_t input_octets) {
    const std::size_t rest = input_octets > offset ? input_octets - offset : 0;
    const bool to_the_end = status == VELMORA_E_ENDS_EARLY || status == VELMORA_E_TRAILING_DATA || status == VELMORA_E_NOT_HEX;
    return to_the_end ? rest : std::min<std::size_t>(rest, 1);
}

// Decodes with `decode(message, error, log)` and describes what it read.
template <class Decode>
velmora_status explain(std::size_t input_octets, velmora_message *message, velmora_field *fields,
                       std::size_t capacity, std::size_t *count, velmora_error *error, Decode &&decode) {
    velmora_error local;
    velmora_error *e = error_record(error, local);
    if (e == nullptr)
        return VELMORA_E_ARGUMENT;
    const char *argument = count == nullptr                                      ? "count"
                           : capacity != 0 && !sized(fields, kFirstFieldSize)    ? "fields"
                           : message != nullptr && !sized(message, kFirstMessageSize) ? "message"
                                                                                  : nullptr;
    if (argument != nullptr) {
        e->status = VELMORA_E_ARGUMENT, e->field = argument;
        return e->status;
    }
    velmora_message whole;
    velmora_message_init(&whole);
    std::array<FieldRead, kMaxReads> reads;
    FieldLog log(reads);
    const velmora_status status = decode(whole, *e, log);
    Explanation out(fields, capacity);
    const bool failed = status != VELMORA_OK && status != VELMORA_E_ARGUMENT;
    const std::span<const FieldRead> read = log.reads();
    for (std::size_t i = 0; i < read.size(); ++i) {
        const FieldRead &field = read[i];
        const bool stopped_inside = e->offset >= field.offset && e->offset < field.offset + field.length;
        const bool failing_field = failed && std::strcmp(field.name, e->field) == 0;
        // A warning belongs to the field whose octets hold it; one past them (a header TP-UDL
        // leaves no room for) to the field before the next.
        const std::size_t next = i + 1 < read.size() ? read[i + 1].offset : SIZE_MAX;
        // The failure entry below stands for what was read of the field that failed.
        if (!failing_field)
            explain_read(out, {field, whole, !failed || !stopped_inside, log.warnings(field.offset, next)});
    }
    if (failed)
        out.add({e->field, e->offset, failure_length(status, e->offset, input_octets), 0, 0, 0, VELMORA_FIELD_ERROR},
                "%s", velmora_status_message(status));
    *count = out.count();
    if (message != nullptr)
        write_prefix(whole, *message);
    return status;
}

}  // namespace
}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" void(velmora_field_init)(velmora_field *fields, std::size_t count, std::size_t size) {
    velmora_field empty{};
    empty.name = "";
    init_structs(fields, count, size, empty);
}

extern "C" velmora_status velmora_explain(const std::uint8_t *pdu, std::size_t length, unsigned flags,
                                          velmora_message *message, velmora_field *fields, std::size_t capacity,
                                          std::size_t *count, velmora_error *error) {
    return explain(length, message, fields, capacity, count, error,
                   [&](velmora_message &m, velmora_error &e, FieldLog &log) {
                       return decode_octets(pdu, length, flags, &m, &e, &log);
                   });
}

extern "C" velmora_status velmora_explain_hex(const char *hex, std::size_t length, unsigned flags,
                                              velmora_message *message, velmora_field *fields, std::size_t capacity,
                                              std::size_t *count, velmora_error *error) {
    return explain(length / 2, message, fields, capacity, count, error,
                   [&](velmora_message &m, velmora_error &e, FieldLog &log) {
                       return decode_hex(hex, length, flags, &m, &e, &log);
                   });
}
