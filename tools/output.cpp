#include "output.h"

#include <optional>
#include <string_view>

#include "text.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kIndent = "            ";  // the width of "discharged: "

std::string hex_octet(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value & 0xFF));
    return text;
}

bool has(const velmora_message &m, std::uint32_t bit) { return (m.present & bit) != 0; }
bool gsm(const velmora_message &m) { return m.format == VELMORA_FORMAT_GSM; }

// TP-OA of a DELIVER and the 3GPP2 sender; TP-DA of a SUBMIT, TP-RA of a STATUS-REPORT.
bool has_sender(const velmora_message &m) { return has(m, VELMORA_HAS_ORIGINATOR); }
bool has_recipient(const velmora_message &m) { return has(m, VELMORA_HAS_RECIPIENT); }

// User data that is not text (8-bit, compressed) is shown as hex data.
bool shows_data(const velmora_message &m) { return !has(m, VELMORA_HAS_TEXT); }

const char *number_type(std::uint8_t ton) {
    static const char *const kNames[] = {"unknown",    "international", "national",    "network-specific",
                                         "subscriber", "alphanumeric",  "abbreviated", "reserved"};
    return kNames[ton & 0x07];
}

std::string two(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", value);
    return text;
}

// "2021-02-14 13:06:05 +02:00" for people, "2021-02-14T13:06:05+02:00" in JSON.
std::string shown_time(const velmora_time &t, bool iso) {
    std::string out = std::to_string(t.year) + "-" + two(t.month) + "-" + two(t.day) + (iso ? "T" : " ") +
                      two(t.hour) + ":" + two(t.minute) + ":" + two(t.second);
    if (t.has_utc_offset) {
        const unsigned magnitude = static_cast<unsigned>(t.utc_offset < 0 ? -t.utc_offset : t.utc_offset);
        out += std::string(iso ? "" : " ") + (t.utc_offset < 0 ? "-" : "+") + two(magnitude / 60) + ":" +
               two(magnitude % 60);
    }
    return out;
}

// "4 days", "1 hour 30 minutes", "45 seconds".
std::string duration(std::uint32_t seconds) {
    static const struct {
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

std::string numbers(const std::vector<std::uint32_t> &list, std::string_view separator) {
    std::string out;
    for (const auto n : list)
        out += (out.empty() ? "" : std::string(separator)) + std::to_string(n);
    return out;
}

// ---- People: one labelled line per field ----

// Line breaks continue under the value; other control characters are spelled out.
std::string indented(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += '\n';
            out += kIndent;
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            out += '<' + describe_code_point(c) + '>';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            out += '<' + describe_code_point(static_cast<unsigned char>(text[++i])) + '>';  // C1 controls
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

class Lines {
public:
    Lines() = default;
    explicit Lines(std::string heading) : out_("[" + heading + "]\n") {}
    void add(std::string_view label, std::string_view value) {
        out_ += label;
        out_ += ':';
        out_.append(kIndent.size() - label.size() - 1, ' ');
        out_ += value;
        out_ += '\n';
    }
    const std::string &text() const { return out_; }

private:
    std::string out_;
};

std::string shown_address(const velmora_address &a) {
    const std::string name = a.text[0] != '\0' ? a.text : "(none)";
    return name + " (" + hex_octet(a.type) + ", " + number_type(a.ton) + ")";
}

std::string shown_type(const velmora_message &m) {
    if (!gsm(m))
        return "3GPP2 message";
    static const char *const kTypes[] = {"SMS-DELIVER", "SMS-SUBMIT", "SMS-STATUS-REPORT"};
    return kTypes[m.type % 3];
}

std::string shown_flags(const velmora_message &m) {
    std::string out;
    const auto add = [&](bool set, const char *name) {
        if (set)
            out += (out.empty() ? "" : ", ") + std::string(name);
    };
    add(m.more_messages, "more messages waiting");
    add(m.reject_duplicates, "reject duplicates");
    add(m.reply_path, "reply path");
    add(m.status_report && m.type == VELMORA_SUBMIT, "status report requested");
    add(m.status_report && m.type == VELMORA_DELIVER, "status report will be returned");
    add(m.status_report_qualifier, "report on an SMS-COMMAND");
    add(m.loop_prevention, "loop prevention");
    return out;
}

std::string shown_coding(const velmora_message &m) {
    static const char *const kAlphabets[] = {"GSM 7-bit", "8-bit", "UCS-2"};
    const char *alphabet = kAlphabets[m.alphabet % 3];
    if (!gsm(m))
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

std::string shown_waiting(const velmora_waiting &w) {
    std::string out = velmora_waiting_kind_name(w.kind);
    out += w.active ? ", active" : ", inactive";
    if (w.count != 0)
        out += ", " + std::to_string(w.count) + " waiting";
    return out + (w.store ? ", store" : ", discard");
}

std::string shown_validity(const velmora_message &m) {
    switch (m.validity_format) {
    case VELMORA_VPF_RELATIVE:
        return duration(m.validity_seconds) + " (" + hex_octet(m.validity_raw[0]) + ")";
    case VELMORA_VPF_ABSOLUTE:
        return "until " + shown_time(m.validity_until, false);
    default:
        return std::string("enhanced") + (m.validity_single_shot ? ", single shot" : "") + ", " +
               duration(m.validity_seconds);
    }
}

std::string shown_header(const velmora_message &m) {
    std::string out;
    for (std::uint32_t i = 0; i < m.element_count; ++i) {
        const velmora_element &e = m.elements[i];
        out += (out.empty() ? "" : ", ") + hex_octet(e.iei) + " " +
               to_hex({reinterpret_cast<const char *>(m.udh) + e.offset, e.length});
    }
    return out;
}

std::string shown_reference(const velmora_message &m) {
    return "reference " + std::to_string(m.reference) + " (" + std::to_string(m.reference_bits) + "-bit)";
}

void field_lines(Lines &out, const velmora_message &m, bool with_part) {
    out.add("type", shown_type(m));
    if (has(m, VELMORA_HAS_SMSC))
        out.add("smsc", shown_address(m.smsc));
    if (const std::string flags = shown_flags(m); !flags.empty())
        out.add("flags", flags);
    if (has(m, VELMORA_HAS_MESSAGE_REFERENCE))
        out.add("msg ref", std::to_string(m.message_reference));
    if (has_sender(m))
        out.add("sender", shown_address(m.originator));
    if (has_recipient(m))
        out.add("recipient", shown_address(m.recipient));
    if (has(m, VELMORA_HAS_TELESERVICE)) {
        out.add("service", std::to_string(m.teleservice));
        if (has(m, VELMORA_HAS_DCS))
            out.add("priority", std::to_string(m.priority));
    }
    if (has(m, VELMORA_HAS_PID))
        out.add("pid", hex_octet(m.pid));
    if (has(m, VELMORA_HAS_DCS))
        out.add("coding", shown_coding(m));
    if (const velmora_waiting *w = velmora_message_waiting(&m))
        out.add("waiting", shown_waiting(*w));
    if (has(m, VELMORA_HAS_TIMESTAMP))
        out.add("time", shown_time(m.timestamp, false));
    if (has(m, VELMORA_HAS_DISCHARGE_TIME))
        out.add("discharged", shown_time(m.discharge_time, false));
    if (has(m, VELMORA_HAS_VALIDITY))
        out.add("validity", shown_validity(m));
    if (has(m, VELMORA_HAS_STATUS))
        out.add("status", hex_octet(m.status) + " " + velmora_delivery_category_name(m.status_category) + ": " +
                              velmora_delivery_status_text(m.status));
    if (with_part && m.element_count != 0)
        out.add("header", shown_header(m));
    if (with_part && m.reference_bits != 0)
        out.add("part", std::to_string(m.part) + " of " + std::to_string(m.parts) + ", " + shown_reference(m));
    if (m.port_bits != 0)
        out.add("ports", std::to_string(m.destination_port) + " (destination), " + std::to_string(m.source_port) +
                             " (source)");
    if (m.locking_shift != 0)
        out.add("locking", velmora_language_name(m.locking_shift));
    if (m.single_shift != 0)
        out.add("shift", velmora_language_name(m.single_shift));
}

}  // namespace

// ---- JSON: one object per line ----

void json_string(std::string &out, std::string_view s) {
    out += '"';
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    out += '"';
}

namespace {

class JsonObject {
public:
    JsonObject &field(std::string_view key, std::string_view value) {
        name(key);
        json_string(out_, value);
        return *this;
    }
    JsonObject &field(std::string_view key, const char *value) { return field(key, std::string_view(value)); }
    JsonObject &field(std::string_view key, long long value) { return raw(key, std::to_string(value)); }
    JsonObject &flag(std::string_view key, bool set) { return set ? raw(key, "true") : *this; }
    JsonObject &raw(std::string_view key, std::string_view json) {
        name(key);
        out_ += json;
        return *this;
    }
    std::string done() const { return out_ + "}"; }

private:
    void name(std::string_view key) {
        out_ += out_.size() > 1 ? "," : "";
        json_string(out_, key);
        out_ += ':';
    }
    std::string out_ = "{";
};

std::string json_array(const std::vector<std::uint32_t> &list) { return "[" + numbers(list, ",") + "]"; }

std::string json_waiting(const velmora_waiting &w) {
    JsonObject o;
    o.field("kind", velmora_waiting_kind_name(w.kind)).raw("active", w.active ? "true" : "false");
    o.raw("store", w.store ? "true" : "false");
    if (w.count != 0)
        o.field("count", w.count);
    return o.done();
}

std::string json_header(const velmora_message &m) {
    std::string out = "[";
    for (std::uint32_t i = 0; i < m.element_count; ++i) {
        const velmora_element &e = m.elements[i];
        JsonObject o;
        o.field("iei", e.iei).field("data", to_hex({reinterpret_cast<const char *>(m.udh) + e.offset, e.length}));
        out += (i == 0 ? "" : ",") + o.done();
    }
    return out + "]";
}

std::string validity_minutes(std::uint32_t seconds) {
    if (seconds % 60 == 0)
        return std::to_string(seconds / 60);
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", seconds / 60.0);
    return text;
}

void json_fields(JsonObject &o, const velmora_message &m, bool with_part) {
    o.field("format", gsm(m) ? "gsm" : "cdma").field("type", velmora_type_name(m.type));
    if (has(m, VELMORA_HAS_SMSC))
        o.field("smsc", m.smsc.text);
    if (has_sender(m))
        o.field("sender", m.originator.text).field("sender_type", m.originator.type);
    if (has_recipient(m))
        o.field("recipient", m.recipient.text).field("recipient_type", m.recipient.type);
    if (has(m, VELMORA_HAS_MESSAGE_REFERENCE))
        o.field("message_reference", m.message_reference);
    if (has(m, VELMORA_HAS_PID))
        o.field("pid", m.pid);
    if (has(m, VELMORA_HAS_DCS))
        o.field("coding", m.dcs).field("alphabet", velmora_alphabet_name(m.alphabet));
    if (m.message_class >= 0)
        o.field("class", m.message_class);
    o.flag("compressed", m.compressed);
    if (const velmora_waiting *w = velmora_message_waiting(&m))
        o.raw("message_waiting", json_waiting(*w));
    if (has(m, VELMORA_HAS_TIMESTAMP))
        o.field("time", shown_time(m.timestamp, true));
    if (has(m, VELMORA_HAS_DISCHARGE_TIME))
        o.field("discharge_time", shown_time(m.discharge_time, true));
    if (has(m, VELMORA_HAS_VALIDITY) && m.validity_format == VELMORA_VPF_ABSOLUTE)
        o.field("validity_until", shown_time(m.validity_until, true));
    else if (has(m, VELMORA_HAS_VALIDITY))
        o.raw("validity_minutes", validity_minutes(m.validity_seconds));
    if (has(m, VELMORA_HAS_STATUS)) {
        o.field("status", m.status).field("status_category", velmora_delivery_category_name(m.status_category));
        o.field("status_text", velmora_delivery_status_text(m.status));
    }
    o.flag(m.type == VELMORA_SUBMIT ? "status_report_request" : "status_report_indication", m.status_report);
    o.flag("reply_path", m.reply_path).flag("reject_duplicates", m.reject_duplicates);
    o.flag("more_messages", m.more_messages);
    if (with_part && has(m, VELMORA_HAS_UDH))
        o.raw("udh", json_header(m));
    if (m.reference_bits != 0) {
        o.field("reference", m.reference).field("reference_bits", m.reference_bits);
        if (with_part)
            o.field("part", m.part);
        o.field("parts", m.parts);
    }
    if (m.port_bits != 0)
        o.field("source_port", m.source_port).field("destination_port", m.destination_port);
    if (m.locking_shift != 0)
        o.field("locking_shift", m.locking_shift);
    if (m.single_shift != 0)
        o.field("single_shift", m.single_shift);
    if (has(m, VELMORA_HAS_TELESERVICE)) {
        o.field("teleservice", m.teleservice);
        if (has(m, VELMORA_HAS_DCS))
            o.field("priority", m.priority);
    }
}

}  // namespace

void Printer::emit(const std::string &block) {
    if (!json_ && !first_)
        std::fputc('\n', out_);
    first_ = false;
    std::fwrite(block.data(), 1, block.size(), out_);
}

void Printer::print(const velmora_message &m, const std::string &source, std::string_view fields_json) {
    const std::string_view data(reinterpret_cast<const char *>(m.data), m.data_length);
    const std::string_view text(m.text, m.text_length);
    if (json_) {
        JsonObject o;
        o.field("source", source);
        json_fields(o, m, true);
        if (has(m, VELMORA_HAS_USER_DATA))
            o.field(shows_data(m) ? "data" : "text", shows_data(m) ? to_hex(data) : std::string(text));
        if (!fields_json.empty())
            o.raw("fields", fields_json);
        emit(o.done() + "\n");
        return;
    }
    Lines out(source);
    field_lines(out, m, true);
    if (has(m, VELMORA_HAS_USER_DATA))
        out.add(shows_data(m) ? "data" : "text", shows_data(m) ? to_hex(data) : indented(text));
    emit(out.text());
}

void Printer::print(const JoinedMessage &j) {
    const velmora_message &m = j.first;
    if (json_) {
        std::string sources = "[";
        for (const auto &source : j.sources) {
            sources += sources.size() > 1 ? "," : "";
            json_string(sources, source);
        }
        JsonObject o;
        o.raw("joined", "true").raw("sources", sources + "]");
        json_fields(o, m, false);
        o.raw("parts_present", json_array(j.present)).raw("parts_missing", json_array(j.missing));
        o.field(shows_data(m) ? "data" : "text", shows_data(m) ? to_hex(j.data) : j.text);
        emit(o.done() + "\n");
        return;
    }
    std::string sources;
    for (const auto &source : j.sources)
        sources += (sources.empty() ? "" : ", ") + source;
    Lines out("joined: " + sources);
    field_lines(out, m, false);
    std::string parts = numbers(j.present, ", ") + " of " + std::to_string(m.parts) + ", " + shown_reference(m);
    if (!j.missing.empty())
        parts += "; missing " + numbers(j.missing, ", ");
    out.add("parts", parts);
    out.add(shows_data(m) ? "data" : "text", shows_data(m) ? to_hex(j.data) : indented(j.text));
    emit(out.text());
}

void Printer::print(const velmora_count_result &count) {
    const char *alphabet = velmora_alphabet_name(count.alphabet);
    if (json_) {
        JsonObject o;
        o.field("alphabet", alphabet).field("parts", count.parts).field("units_per_part", count.units_per_part);
        o.field("units_used", count.units_used).field("units_left", count.units_left);
        if (count.locking_shift != 0)
            o.field("locking_shift", count.locking_shift);
        if (count.single_shift != 0)
            o.field("single_shift", count.single_shift);
        emit(o.done() + "\n");
        return;
    }
    Lines out;
    out.add("alphabet", alphabet);
    out.add("parts", std::to_string(count.parts));
    out.add("per part", std::to_string(count.units_per_part));
    out.add("used", std::to_string(count.units_used));
    out.add("left", std::to_string(count.units_left));
    if (count.locking_shift != 0)
        out.add("locking", velmora_language_name(count.locking_shift));
    if (count.single_shift != 0)
        out.add("shift", velmora_language_name(count.single_shift));
    emit(out.text());
}

}  // namespace velmora::cli
