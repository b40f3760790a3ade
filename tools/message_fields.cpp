// SPDX-License-Identifier: Apache-2.0
#include "message_fields.h"

#include <array>
#include <span>
#include <utility>

#include "json.h"
#include "text.h"

namespace velmora::cli {
namespace {

// The message being shown: one decoded PDU, or the parts of a concatenated one joined.
struct Shown {
    const velmora_message &m;
    std::string_view source;          // of a single PDU
    const JoinedMessage *joined;      // nullptr for a single PDU
    const velmora_modem_entry *entry;  // where a modem kept it; nullptr when not told

    bool has(std::uint32_t bit) const { return (m.present & bit) != 0; }
    bool gsm() const { return m.format == VELMORA_FORMAT_GSM; }
    bool user_data() const { return joined != nullptr || has(VELMORA_HAS_USER_DATA); }
    std::string_view text() const { return joined ? joined->text : std::string_view(m.text, m.text_length); }
    std::string_view data() const {
        return joined ? joined->data : std::string_view(reinterpret_cast<const char *>(m.data), m.data_length);
    }
};

// One field of the record: the line of plain output that shows it, its JSON key, when a
// message has it, and how each shows it. A field without `people` is shown on its
// label's line by the field there that has one; consecutive fields of one label with
// their own `people` share that line, separated by commas (the flags).
struct Field {
    std::string_view label;
    std::string_view key;
    bool (*present)(const Shown &);
    std::string (*people)(const Shown &);
    void (*json)(const Shown &, JsonSink &);
};

// ---- Values for people ----


// "2021-02-14 13:06:05 +02:00" for people, "2021-02-14T13:06:05+02:00" in JSON; no heap.
class TimeText {
public:
    TimeText(const velmora_time &t, bool iso) {
        char *end = text_;  // a local end, kept in a register
        const auto two_digits = [&end](unsigned value) {
            const char *pair = &kDigitPairs[2 * (value % 100)];
            *end++ = pair[0], *end++ = pair[1];
        };
        two_digits(t.year / 100u), two_digits(t.year % 100u);  // PDUs' years are 1990 to 2089
        *end++ = '-', two_digits(t.month), *end++ = '-', two_digits(t.day);
        *end++ = iso ? 'T' : ' ', two_digits(t.hour), *end++ = ':', two_digits(t.minute);
        *end++ = ':', two_digits(t.second);
        if (t.has_utc_offset) {
            const unsigned magnitude = static_cast<unsigned>(t.utc_offset < 0 ? -t.utc_offset : t.utc_offset);
            if (!iso)
                *end++ = ' ';
            *end++ = t.utc_offset < 0 ? '-' : '+';
            two_digits(magnitude / 60), *end++ = ':', two_digits(magnitude % 60);
        }
        length_ = static_cast<std::size_t>(end - text_);
    }
    std::string_view view() const { return {text_, length_}; }

private:
    static constexpr std::array<char, 200> kDigitPairs = [] {  // "00" to "99"
        std::array<char, 200> pairs{};
        for (std::size_t i = 0; i < 100; ++i)
            pairs[2 * i] = static_cast<char>('0' + i / 10), pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
        return pairs;
    }();
    char text_[32];
    std::size_t length_;
};
std::string shown_time(const velmora_time &t) { return std::string(TimeText(t, false).view()); }

// "4 days", "1 hour 30 minutes", "45 seconds".
std::string duration(std::uint32_t seconds) {
    static constexpr struct {
        std::uint32_t seconds;
        const char *name;
    } kUnits[] = {{7 * 86400, "week"}, {86400, "day"}, {3600, "hour"}, {60, "minute"}, {1, "second"}};
    std::string out;
    for (const auto &unit : kUnits) {
        const std::uint32_t n = seconds / unit.seconds;
        seconds %= unit.seconds;
        if (n != 0)
            out += (out.empty() ? "" : " ") + std::to_string(n) + " " + unit.name + (n == 1 ? "" : "s");
    }
    return out.empty() ? "0 seconds" : out;
}

std::string numbers(std::span<const std::uint32_t> list) {
    std::string out;
    for (const auto n : list)
        out += (out.empty() ? "" : ", ") + std::to_string(n);
    return out;
}

std::string shown_address(const velmora_address &a) {
    static constexpr const char *kNumberTypes[] = {"unknown",    "international", "national",    "network-specific",
                                                   "subscriber", "alphanumeric",  "abbreviated", "reserved"};
    const std::string name = a.text[0] != '\0' ? a.text : "(none)";
    return name + " (" + hex_octet(a.type) + ", " + kNumberTypes[a.ton & 0x07] + ")";
}

std::string shown_type(const Shown &s) {
    static constexpr const char *kTypes[] = {"SMS-DELIVER", "SMS-SUBMIT", "SMS-STATUS-REPORT"};
    return s.gsm() ? kTypes[s.m.type % 3] : "3GPP2 message";
}

std::string shown_coding(const Shown &s) {
    static constexpr const char *kAlphabets[] = {"GSM 7-bit", "8-bit", "UCS-2"};
    const velmora_message &m = s.m;
    const char *alphabet = kAlphabets[m.alphabet % 3];
    if (!s.gsm())
        return std::to_string(m.dcs) + " (" + alphabet + ")";
    std::string out = hex_octet(m.dcs) + " (" + alphabet;
    if (m.message_class >= 0)
        out += ", class " + std::to_string(m.message_class) + (m.message_class == 0 ? " flash" : "");
    if (m.compressed)
        out += ", compressed";
    if (m.auto_delete)
        out += ", automatic deletion";
    return out + ")";
}

std::string shown_waiting(const Shown &s) {
    const velmora_waiting &w = *velmora_message_waiting(&s.m);
    std::string out = velmora_waiting_kind_name(w.kind);
    out += w.active ? ", active" : ", inactive";
    if (w.count != 0)
        out += ", " + std::to_string(w.count) + " waiting";
    return out + (w.store ? ", store" : ", discard");
}

std::string shown_validity(const Shown &s) {
    const velmora_message &m = s.m;
    switch (m.validity_format) {
    case VELMORA_VPF_RELATIVE:
        return duration(m.validity_seconds) + " (" + hex_octet(m.validity_raw[0]) + ")";
    case VELMORA_VPF_ABSOLUTE:
        return "until " + shown_time(m.validity_until);
    default:
        return std::string("enhanced") + (m.validity_single_shot ? ", single shot" : "") + ", " +
               duration(m.validity_seconds);
    }
}

std::string shown_status(const Shown &s) {
    return hex_octet(s.m.status) + " " + velmora_delivery_category_name(s.m.status_category) + ": " +
           velmora_delivery_status_text(s.m.status);
}

std::string_view element_octets(const velmora_message &m, const velmora_element &e) {
    return {reinterpret_cast<const char *>(m.udh) + e.offset, e.length};
}

std::string shown_header(const Shown &s) {
    std::string out;
    for (std::uint32_t i = 0; i < s.m.element_count; ++i) {
        const velmora_element &e = s.m.elements[i];
        out += (out.empty() ? "" : ", ") + hex_octet(e.iei) + " " + to_hex(element_octets(s.m, e));
    }
    return out.empty() ? "(empty)" : out;
}

std::string shown_reference(const velmora_message &m) {
    return "reference " + std::to_string(m.reference) + " (" + std::to_string(m.reference_bits) + "-bit)";
}

std::string shown_part(const Shown &s) {
    return std::to_string(s.m.part) + " of " + std::to_string(s.m.parts) + ", " + shown_reference(s.m);
}

std::string shown_joined_parts(const Shown &s) {
    std::string out = numbers(s.joined->present) + " of " + std::to_string(s.m.parts) + ", " + shown_reference(s.m);
    return s.joined->missing.empty() ? out : out + "; missing " + numbers(s.joined->missing);
}

// The warnings of a message, the first met first (with its octet offset and field).
std::vector<std::uint32_t> warnings_in_order(const velmora_message &m) {
    std::vector<std::uint32_t> list;
    if (m.first_warning != 0)
        list.push_back(m.first_warning);
    for (const std::uint32_t bit : warning_bits(m.warnings & ~m.first_warning))
        list.push_back(bit);
    return list;
}

std::string shown_warnings(const Shown &s) {
    std::string out;
    for (const std::uint32_t bit : warnings_in_order(s.m)) {
        out += (out.empty() ? "" : ", ") + std::string(velmora_warning_name(bit));
        if (bit == s.m.first_warning)
            out += " at octet offset " + std::to_string(s.m.warning_offset) + " (" + s.m.warning_field + ")";
    }
    return out;
}

// ---- Values in JSON ----

void json_warnings(const Shown &s, JsonSink &out) {
    out.open('[');
    for (const std::uint32_t bit : warnings_in_order(s.m)) {
        out.open('{');
        out.key("warning"), out.name(velmora_warning_name(bit));
        if (bit == s.m.first_warning)
            out.key("offset"), out.number(s.m.warning_offset), out.key("field"), out.string(s.m.warning_field);
        out.close('}');
    }
    out.close(']');
}

void json_true(const Shown &, JsonSink &out) { out.boolean(true); }

void json_waiting(const Shown &s, JsonSink &out) {
    const velmora_waiting &w = *velmora_message_waiting(&s.m);
    out.open('{');
    out.key("kind"), out.name(velmora_waiting_kind_name(w.kind));
    out.key("active"), out.boolean(w.active != 0), out.key("store"), out.boolean(w.store != 0);
    if (w.count != 0)
        out.key("count"), out.number(w.count);
    out.close('}');
}

void json_header(const Shown &s, JsonSink &out) {
    out.open('[');
    for (std::uint32_t i = 0; i < s.m.element_count; ++i) {
        const velmora_element &e = s.m.elements[i];
        out.open('{');
        out.key("iei"), out.number(e.iei), out.key("data"), out.hex(element_octets(s.m, e));
        out.close('}');
    }
    out.close(']');
}

// Whole minutes as an integer; the seconds of the enhanced format as a fraction.
void json_validity_minutes(const Shown &s, JsonSink &out) {
    const std::uint32_t seconds = s.m.validity_seconds;
    if (seconds % 60 == 0)
        return out.number(seconds / 60);
    char text[16];
    out.fraction({text, static_cast<std::size_t>(write_minutes(text, seconds) - text)});
}

void json_numbers(std::span<const std::uint32_t> list, JsonSink &out) {
    out.open('[');
    for (const auto n : list)
        out.number(n);
    out.close(']');
}

// ---- When a message has a field ----

bool always(const Shown &) { return true; }
bool single(const Shown &s) { return s.joined == nullptr; }
bool joined(const Shown &s) { return s.joined != nullptr; }
template <std::uint32_t Bit>
bool has(const Shown &s) {
    return s.has(Bit);
}
bool concatenated(const Shown &s) { return s.m.reference_bits != 0; }
bool ported(const Shown &s) { return s.m.port_bits != 0; }
bool relative_validity(const Shown &s) {
    return s.has(VELMORA_HAS_VALIDITY) && s.m.validity_format != VELMORA_VPF_ABSOLUTE;
}
bool absolute_validity(const Shown &s) {
    return s.has(VELMORA_HAS_VALIDITY) && s.m.validity_format == VELMORA_VPF_ABSOLUTE;
}

// In the order of the plain lines; the JSON keys follow the same order.
constexpr Field kFields[] = {
    {"", "source", [](const Shown &s) { return single(s) && !s.source.empty(); }, nullptr,
     [](const Shown &s, JsonSink &o) { o.string(s.source); }},
    {"", "joined", joined, nullptr, json_true},
    {"", "sources", joined, nullptr,
     [](const Shown &s, JsonSink &o) {
         o.open('[');
         for (const std::string &source : s.joined->sources)
             o.string(source);
         o.close(']');
     }},
    {"type", "format", always, nullptr, [](const Shown &s, JsonSink &o) { o.name(s.gsm() ? "gsm" : "cdma"); }},
    {"type", "type", always, shown_type, [](const Shown &s, JsonSink &o) { o.name(velmora_type_name(s.m.type)); }},
    {"smsc", "smsc", has<VELMORA_HAS_SMSC>, [](const Shown &s) { return shown_address(s.m.smsc); },
     [](const Shown &s, JsonSink &o) { o.string(s.m.smsc.text); }},
    // The first octet's flags.
    {"flags", "more_messages", [](const Shown &s) { return s.m.more_messages != 0; },
     [](const Shown &) -> std::string { return "more messages waiting"; }, json_true},
    {"flags", "reject_duplicates", [](const Shown &s) { return s.m.reject_duplicates != 0; },
     [](const Shown &) -> std::string { return "reject duplicates"; }, json_true},
    {"flags", "reply_path", [](const Shown &s) { return s.m.reply_path != 0; },
     [](const Shown &) -> std::string { return "reply path"; }, json_true},
    {"flags", "status_report_request", [](const Shown &s) { return s.m.status_report && s.m.type == VELMORA_SUBMIT; },
     [](const Shown &) -> std::string { return "status report requested"; }, json_true},
    {"flags", "status_report_indication",
     [](const Shown &s) { return s.m.status_report && s.m.type != VELMORA_SUBMIT; },
     [](const Shown &) -> std::string { return "status report will be returned"; }, json_true},
    {"flags", "status_report_qualifier", [](const Shown &s) { return s.m.status_report_qualifier != 0; },
     [](const Shown &) -> std::string { return "report on an SMS-COMMAND"; }, json_true},
    {"flags", "loop_prevention", [](const Shown &s) { return s.m.loop_prevention != 0; },
     [](const Shown &) -> std::string { return "loop prevention"; }, json_true},

    {"msg ref", "message_reference", has<VELMORA_HAS_MESSAGE_REFERENCE>,
     [](const Shown &s) { return std::to_string(s.m.message_reference); },
     [](const Shown &s, JsonSink &o) { o.number(s.m.message_reference); }},
    {"sender", "sender", has<VELMORA_HAS_ORIGINATOR>, [](const Shown &s) { return shown_address(s.m.originator); },
     [](const Shown &s, JsonSink &o) { o.string(s.m.originator.text); }},
    {"sender", "sender_type", has<VELMORA_HAS_ORIGINATOR>, nullptr,
     [](const Shown &s, JsonSink &o) { o.number(s.m.originator.type); }},
    {"recipient", "recipient", has<VELMORA_HAS_RECIPIENT>, [](const Shown &s) { return shown_address(s.m.recipient); },
     [](const Shown &s, JsonSink &o) { o.string(s.m.recipient.text); }},
    {"recipient", "recipient_type", has<VELMORA_HAS_RECIPIENT>, nullptr,
     [](const Shown &s, JsonSink &o) { o.number(s.m.recipient.type); }},
    {"service", "teleservice", has<VELMORA_HAS_TELESERVICE>, [](const Shown &s) { return std::to_string(s.m.teleservice); },
     [](const Shown &s, JsonSink &o) { o.number(s.m.teleservice); }},
    {"priority", "priority", [](const Shown &s) { return s.has(VELMORA_HAS_TELESERVICE) && s.has(VELMORA_HAS_DCS); },
     [](const Shown &s) { return std::to_string(s.m.priority); },
     [](const Shown &s, JsonSink &o) { o.number(s.m.priority); }},
    {"pid", "pid", has<VELMORA_HAS_PID>, [](const Shown &s) { return hex_octet(s.m.pid); },
     [](const Shown &s, JsonSink &o) { o.number(s.m.pid); }},

    // TP-DCS: the alphabet and what the coding group adds.
    {"coding", "coding", has<VELMORA_HAS_DCS>, shown_coding, [](const Shown &s, JsonSink &o) { o.number(s.m.dcs); }},
    {"coding", "alphabet", has<VELMORA_HAS_DCS>, nullptr,
     [](const Shown &s, JsonSink &o) { o.name(velmora_alphabet_name(s.m.alphabet)); }},
    {"coding", "class", [](const Shown &s) { return s.m.message_class >= 0; }, nullptr,
     [](const Shown &s, JsonSink &o) { o.number(s.m.message_class); }},
    {"coding", "compressed", [](const Shown &s) { return s.m.compressed != 0; }, nullptr, json_true},
    {"coding", "auto_delete", [](const Shown &s) { return s.m.auto_delete != 0; }, nullptr, json_true},
    {"waiting", "message_waiting", [](const Shown &s) { return velmora_message_waiting(&s.m) != nullptr; },
     shown_waiting, json_waiting},

    {"time", "time", has<VELMORA_HAS_TIMESTAMP>, [](const Shown &s) { return shown_time(s.m.timestamp); },
     [](const Shown &s, JsonSink &o) { o.string(TimeText(s.m.timestamp, true).view()); }},
    {"discharged", "discharge_time", has<VELMORA_HAS_DISCHARGE_TIME>,
     [](const Shown &s) { return shown_time(s.m.discharge_time); },
     [](const Shown &s, JsonSink &o) { o.string(TimeText(s.m.discharge_time, true).view()); }},
    {"validity", "validity_minutes", relative_validity, shown_validity, json_validity_minutes},
    {"validity", "validity_until", absolute_validity, shown_validity,
     [](const Shown &s, JsonSink &o) { o.string(TimeText(s.m.validity_until, true).view()); }},
    {"status", "status", has<VELMORA_HAS_STATUS>, shown_status, [](const Shown &s, JsonSink &o) { o.number(s.m.status); }},
    {"status", "status_category", has<VELMORA_HAS_STATUS>, nullptr,
     [](const Shown &s, JsonSink &o) { o.name(velmora_delivery_category_name(s.m.status_category)); }},
    {"status", "status_text", has<VELMORA_HAS_STATUS>, nullptr,
     [](const Shown &s, JsonSink &o) { o.name(velmora_delivery_status_text(s.m.status)); }},

    // The user data header, element by element (a joined message's fields have none).
    {"header", "udh", has<VELMORA_HAS_UDH>, shown_header, json_header},
    {"part", "reference", concatenated, nullptr, [](const Shown &s, JsonSink &o) { o.number(s.m.reference); }},
    {"part", "reference_bits", concatenated, nullptr, [](const Shown &s, JsonSink &o) { o.number(s.m.reference_bits); }},
    {"part", "part", [](const Shown &s) { return single(s) && concatenated(s); }, shown_part,
     [](const Shown &s, JsonSink &o) { o.number(s.m.part); }},
    {"part", "parts", concatenated, nullptr, [](const Shown &s, JsonSink &o) { o.number(s.m.parts); }},
    {"ports", "source_port", ported, nullptr, [](const Shown &s, JsonSink &o) { o.number(s.m.source_port); }},
    {"ports", "destination_port", ported,
     [](const Shown &s) {
         return std::to_string(s.m.destination_port) + " (destination), " + std::to_string(s.m.source_port) + " (source)";
     },
     [](const Shown &s, JsonSink &o) { o.number(s.m.destination_port); }},
    {"locking", "locking_shift", [](const Shown &s) { return s.m.locking_shift != 0; },
     [](const Shown &s) -> std::string { return velmora_language_name(s.m.locking_shift); },
     [](const Shown &s, JsonSink &o) { o.number(s.m.locking_shift); }},
    {"shift", "single_shift", [](const Shown &s) { return s.m.single_shift != 0; },
     [](const Shown &s) -> std::string { return velmora_language_name(s.m.single_shift); },
     [](const Shown &s, JsonSink &o) { o.number(s.m.single_shift); }},
    {"parts", "parts_present", joined, shown_joined_parts, [](const Shown &s, JsonSink &o) { json_numbers(s.joined->present, o); }},
    {"parts", "parts_missing", joined, nullptr, [](const Shown &s, JsonSink &o) { json_numbers(s.joined->missing, o); }},

    // Where the modem kept the message, and what was wrong with it.
    {"index", "index", [](const Shown &s) { return s.entry != nullptr && s.entry->index >= 0; },
     [](const Shown &s) { return std::to_string(s.entry->index); },
     [](const Shown &s, JsonSink &o) { o.number(s.entry->index); }},
    {"storage", "storage",
     [](const Shown &s) { return s.entry != nullptr && velmora_storage_name(s.entry->storage) != nullptr; },
     [](const Shown &s) -> std::string { return velmora_storage_name(s.entry->storage); },
     [](const Shown &s, JsonSink &o) { o.name(velmora_storage_name(s.entry->storage)); }},
    {"warning", "warnings", [](const Shown &s) { return single(s) && s.m.warnings != 0; }, shown_warnings,
     json_warnings},

    // The user data: text, or the octets of 8-bit and compressed messages.
    {"text", "text", [](const Shown &s) { return s.user_data() && s.has(VELMORA_HAS_TEXT); },
     [](const Shown &s) { return indented(s.text()); }, [](const Shown &s, JsonSink &o) { o.string(s.text()); }},
    {"data", "data", [](const Shown &s) { return s.user_data() && !s.has(VELMORA_HAS_TEXT); },
     [](const Shown &s) { return to_hex(s.data()); }, [](const Shown &s, JsonSink &o) { o.hex(s.data()); }},
};

constexpr bool keys_distinct() {
    for (std::size_t i = 0; i < std::size(kFields); ++i)
        for (std::size_t j = i + 1; j < std::size(kFields); ++j)
            if (kFields[i].key == kFields[j].key)
                return false;
    return true;
}
static_assert(keys_distinct(), "a JSON key given twice");

std::string lines(const Shown &s, const std::string &heading) {
    std::string out = "[" + heading + "]\n";
    std::string_view label;
    std::string value;
    for (const Field &f : kFields) {
        if (f.people == nullptr || !f.present(s))
            continue;
        if (f.label == label) {
            value += ", " + f.people(s);
            continue;
        }
        if (!label.empty())
            out += labelled(label, value);
        label = f.label;
        value = f.people(s);
    }
    return label.empty() ? out : out + labelled(label, value);
}

// Unrolled, so that each field's test and value are inlined (the npm package's hot path).
template <std::size_t... I>
void json_fields(const Shown &s, JsonSink &out, std::index_sequence<I...>) {
    ((kFields[I].present(s) ? (out.field(I, kFields[I].key), kFields[I].json(s, out)) : void()), ...);
}

// Inlined into each caller: for a single message the tests for joined messages, their
// sources and a modem's entry fold away.
[[gnu::always_inline]] inline void json(const Shown &s, JsonSink &out) {
    out.open('{');
    json_fields(s, out, std::make_index_sequence<std::size(kFields)>());
    out.close('}');
}

std::string shown_json(const Shown &s) {
    JsonSink value;
    json(s, value);
    return json_text(value);
}

std::string joined_sources(const JoinedMessage &j) {
    std::string out;
    for (const auto &source : j.sources)
        out += (out.empty() ? "" : ", ") + source;
    return out;
}

}  // namespace

JoinedMessage joined_message(const velmora_reassembly &reassembly, const velmora_group &group,
                             velmora_message &fields, const std::vector<std::string> &sources) {
    velmora_reassembly_fields(&reassembly, &group, &fields);
    JoinedMessage joined{fields, {}, {}, {}, {}, {}};
    for (std::uint32_t part = 1; part <= group.parts; ++part) {
        if (!VELMORA_GROUP_HAS(&group, part)) {
            joined.missing.push_back(part);
            continue;
        }
        joined.present.push_back(part);
        joined.sources.push_back(sources[static_cast<std::size_t>(velmora_reassembly_slot(&reassembly, &group, part))]);
    }
    std::size_t length = 0;
    velmora_reassembly_text(&reassembly, &group, nullptr, 0, &length);
    joined.text.resize(length);
    velmora_reassembly_text(&reassembly, &group, joined.text.data(), joined.text.size(), &length);
    velmora_reassembly_data(&reassembly, &group, nullptr, 0, &length);
    joined.data.resize(length);
    velmora_reassembly_data(&reassembly, &group, reinterpret_cast<std::uint8_t *>(joined.data.data()),
                            joined.data.size(), &length);
    return joined;
}

std::string message_lines(const velmora_message &message, std::string_view source, const velmora_modem_entry *entry) {
    return lines({message, source, nullptr, entry}, std::string(source));
}

std::string message_lines(const JoinedMessage &joined) {
    return lines({joined.first, {}, &joined, nullptr}, "joined: " + joined_sources(joined));
}

std::string message_json(const velmora_message &message, std::string_view source, const velmora_modem_entry *entry) {
    return shown_json({message, source, nullptr, entry});
}

std::string message_json(const JoinedMessage &joined) { return shown_json({joined.first, {}, &joined, nullptr}); }

void message_json(const velmora_message &message, JsonSink &out) { json({message, {}, nullptr, nullptr}, out); }

std::vector<std::string_view> message_json_keys() {
    std::vector<std::string_view> keys;
    for (const Field &f : kFields)
        keys.push_back(f.key);
    return keys;
}

std::vector<std::uint32_t> warning_bits(std::uint32_t warnings) {
    std::vector<std::uint32_t> bits;
    for (std::uint32_t bit = 1; bit != 0; bit <<= 1)
        if ((warnings & bit) != 0 && velmora_warning_name(bit) != nullptr)
            bits.push_back(bit);
    return bits;
}

}  // namespace velmora::cli
