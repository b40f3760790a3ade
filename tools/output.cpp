#include "output.h"

#include <optional>
#include <string_view>

#include "charset.h"

namespace velmora::cli {
namespace {

constexpr std::string_view kIndent = "           ";  // the width of "reference: "

std::string hex_octet(std::uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned>(value & 0xFF));
    return text;
}

bool alphanumeric(const DecodedMessage &m) { return !m.cdma && (m.sender_type & 0x70) == 0x50; }

std::string shown_sender(const DecodedMessage &m) {
    if (m.sender.empty())
        return "(none)";
    if (!alphanumeric(m) && (m.sender_type & 0x70) == 0x10)
        return "+" + m.sender;
    return m.sender;
}

const char *number_type(std::uint32_t type) {
    static const char *const kNames[] = {"unknown",    "international", "national",    "network-specific",
                                         "subscriber", "alphanumeric",  "abbreviated", "reserved"};
    return kNames[(type >> 4) & 0x07];
}

const char *coding_name(const DecodedMessage &m) {
    if (!m.cdma) {
        switch (m.coding) {
        case 0x00: return "GSM 7-bit";
        case 0x04: return "8-bit data";
        case 0x08: return "UCS-2";
        }
    } else {
        switch (m.coding) {
        case 0: return "octets";
        case 2: return "7-bit ASCII";
        case 3: return "IA5";
        case 4: return "UCS-2";
        case 8: return "Latin";
        case 9: return "GSM 7-bit";
        }
    }
    return "unknown";
}

// The time-zone octet counts quarter hours; bit 3 of its first digit is the sign.
std::optional<int> utc_offset_minutes(std::string_view zone) {
    auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
    if (zone.size() != 2 || digit(zone[0]) < 0 || digit(zone[1]) < 0 || digit(zone[1]) > 9)
        return std::nullopt;
    const int quarters = (digit(zone[0]) & 0x07) * 10 + digit(zone[1]);
    return (digit(zone[0]) & 0x08 ? -15 : 15) * quarters;
}

std::string describe_zone(std::string_view zone) {
    std::string out(zone);
    if (const auto minutes = utc_offset_minutes(zone)) {
        char offset[24];
        const int magnitude = *minutes < 0 ? -*minutes : *minutes;
        std::snprintf(offset, sizeof offset, " (UTC%c%02d:%02d)", *minutes < 0 ? '-' : '+', magnitude / 60,
                      magnitude % 60);
        out += offset;
    }
    return out;
}

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
            out += '<';
            out += describe_code_point(c);
            out += '>';
        } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            out += '<';  // C1 controls
            out += describe_code_point(static_cast<unsigned char>(text[++i]));
            out += '>';
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void line(std::string &out, std::string_view label, std::string_view value) {
    out += label;
    out += ':';
    out.append(kIndent.size() - label.size() - 1, ' ');
    out += value;
    out += '\n';
}

void header_lines(std::string &out, const DecodedMessage &m) {
    line(out, "sender", shown_sender(m));
    line(out, "type", hex_octet(m.sender_type) + " (" + number_type(m.sender_type) + ")");
    line(out, "time", m.time);
    if (!m.cdma)
        line(out, "zone", describe_zone(m.zone));
    if (m.cdma) {
        line(out, "service", std::to_string(m.teleservice));
        line(out, "priority", std::to_string(m.priority));
    }
    line(out, "coding", (m.cdma ? std::to_string(m.coding) : hex_octet(m.coding)) + " (" + coding_name(m) + ")");
}

void body_line(std::string &out, const DecodedMessage &m) {
    line(out, m.payload == Payload::octets ? "data" : "text", indented(payload_as_text(m.payload, m.data)));
}

std::string list(const std::vector<std::uint32_t> &numbers) {
    std::string out;
    for (const auto n : numbers)
        out += (out.empty() ? "" : ", ") + std::to_string(n);
    return out;
}

// JSON

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

class JsonObject {
public:
    JsonObject &field(std::string_view key, std::string_view value) {
        name(key);
        json_string(out_, value);
        return *this;
    }
    JsonObject &field(std::string_view key, std::uint32_t value) {
        name(key);
        out_ += std::to_string(value);
        return *this;
    }
    JsonObject &field(std::string_view key, std::optional<int> value) {
        name(key);
        out_ += value ? std::to_string(*value) : "null";
        return *this;
    }
    JsonObject &raw(std::string_view key, std::string_view json) {
        name(key);
        out_ += json;
        return *this;
    }
    std::string done() { return out_ + "}\n"; }

private:
    void name(std::string_view key) {
        out_ += out_.size() > 1 ? "," : "";
        json_string(out_, key);
        out_ += ':';
    }
    std::string out_ = "{";
};

void json_header(JsonObject &o, const DecodedMessage &m) {
    o.field("format", m.cdma ? "3gpp2" : "gsm").field("sender", m.sender).field("sender_type", m.sender_type);
    o.field("time", m.time).field("time_raw", m.time_raw);
    if (m.cdma)
        o.field("teleservice", m.teleservice).field("priority", m.priority);
    else
        o.field("zone", m.zone).field("utc_offset_minutes", utc_offset_minutes(m.zone));
    o.field("coding", m.coding);
}

void json_body(JsonObject &o, const DecodedMessage &m) {
    o.field(m.payload == Payload::octets ? "data" : "text", payload_as_text(m.payload, m.data));
}

std::string json_array(const std::vector<std::uint32_t> &numbers) {
    std::string out = "[";
    for (const auto n : numbers) {
        if (out.size() > 1)
            out += ',';
        out += std::to_string(n);
    }
    out += ']';
    return out;
}

}  // namespace

void Printer::emit(const std::string &block) {
    if (!json_ && !first_)
        std::fputc('\n', out_);
    first_ = false;
    std::fwrite(block.data(), 1, block.size(), out_);
}

void Printer::print(const DecodedMessage &m) {
    if (json_) {
        JsonObject o;
        o.field("source", m.source);
        json_header(o, m);
        o.field("reference", m.reference).field("part", m.part).field("parts", m.total);
        json_body(o, m);
        emit(o.done());
        return;
    }
    std::string out = "[" + m.source + "]\n";
    header_lines(out, m);
    if (m.is_part())
        line(out, "part", std::to_string(m.part) + " of " + std::to_string(m.total) + ", reference " +
                              std::to_string(m.reference));
    else
        line(out, "part", "1 of 1");
    body_line(out, m);
    emit(out);
}

void Printer::print(const JoinedMessage &j) {
    const DecodedMessage &m = j.message;
    if (json_) {
        std::string sources = "[";
        for (const auto &source : j.sources) {
            sources += sources.size() > 1 ? "," : "";
            json_string(sources, source);
        }
        JsonObject o;
        o.raw("joined", "true").raw("sources", sources + "]");
        json_header(o, m);
        o.field("reference", m.reference).field("parts", m.total);
        o.raw("present", json_array(j.present)).raw("missing", json_array(j.missing));
        json_body(o, m);
        emit(o.done());
        return;
    }
    std::string sources;
    for (const auto &source : j.sources)
        sources += (sources.empty() ? "" : ", ") + source;
    std::string out = "[joined: " + sources + "]\n";
    header_lines(out, m);
    std::string parts = list(j.present) + " of " + std::to_string(m.total) + ", reference " +
                        std::to_string(m.reference);
    if (!j.missing.empty())
        parts += "; missing " + list(j.missing);
    line(out, "parts", parts);
    body_line(out, m);
    emit(out);
}

}  // namespace velmora::cli
