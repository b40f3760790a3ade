// SPDX-License-Identifier: Apache-2.0
// decode --explain: the library's field map shown like a protocol analyser shows a frame.
#include "explain.h"

#include <cctype>
#include <cstdio>

#include "json.h"
#include "message_fields.h"

namespace velmora::cli {
namespace {

constexpr std::size_t kOctetsPerLine = 8;
constexpr int kOctetColumn = 3 * kOctetsPerLine;

std::string upper(std::string_view hex) {
    std::string out(hex);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// The octets [from, to) of the PDU as "07 91 21", as far as the text goes.
std::string octets(std::string_view hex, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to && 2 * i < hex.size(); ++i)
        out += (out.empty() ? "" : " ") + upper(hex.substr(2 * i, 2));
    return out;
}

// "..00 ...." : the flag's bits of the octet, dots for the others, bit 7 first.
std::string bit_pattern(std::string_view hex, const velmora_field &f) {
    const std::string octet = upper(hex.substr(2 * f.offset, 2));
    const unsigned value = static_cast<unsigned>(std::stoul(octet, nullptr, 16));
    std::string out;
    for (int bit = 7; bit >= 0; --bit) {
        const bool inside = bit >= f.first_bit && bit < f.first_bit + f.bit_count;
        out += inside ? (value >> bit & 1 ? '1' : '0') : '.';
        if (bit == 4)
            out += ' ';
    }
    return out;
}

std::string line(std::string_view offset, std::string_view octets, const velmora_field &f) {
    const std::string name = std::string(f.level != 0 ? "  " : "") + f.name;
    const std::string meaning = f.kind == VELMORA_FIELD_ERROR ? std::string("error: ") + f.meaning : f.meaning;
    char text[512];
    std::snprintf(text, sizeof text, "%5.*s  %-*.*s  %-32s %s", static_cast<int>(offset.size()), offset.data(),
                  kOctetColumn, static_cast<int>(octets.size()), octets.data(), name.c_str(), meaning.c_str());
    std::string out = text;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out + "\n";
}

// Each warning met in the field, a line each under its name: "warning time: digits not BCD ...".
std::string warning_lines(const velmora_field &f) {
    std::string out;
    for (const std::uint32_t bit : warning_bits(f.warnings)) {
        char text[256];
        std::snprintf(text, sizeof text, "%5s  %-*s  %-32s %s\n", "", kOctetColumn, "",
                      (std::string("  warning ") + velmora_warning_name(bit)).c_str(), velmora_warning_text(bit));
        out += text;
    }
    return out;
}

// "time" or "time, trailing-data": the names of the warnings met in the field.
std::string warning_names(std::uint32_t warnings) {
    std::string out;
    for (const std::uint32_t bit : warning_bits(warnings))
        out += (out.empty() ? "" : ", ") + std::string(velmora_warning_name(bit));
    return out;
}

// The lines of one field: its octets (or a flag's bits), name and meaning.
std::string field_lines(std::string_view hex, const std::vector<velmora_field> &fields, std::size_t i) {
    const velmora_field &f = fields[i];
    if (f.bit_count != 0 && 2 * f.offset + 2 <= hex.size())
        return line("", "  " + bit_pattern(hex, f), f);
    // A field whose parts follow (UDHL, elements, text) leaves its octets to them.
    if (f.level == 0 && i + 1 < fields.size() && fields[i + 1].level != 0 && fields[i + 1].bit_count == 0)
        return line(std::to_string(f.offset), "", f);
    // Long fields go on over further lines of octets.
    std::string out =
        line(std::to_string(f.offset), octets(hex, f.offset, f.offset + std::min<std::size_t>(f.length, kOctetsPerLine)), f);
    for (std::size_t at = f.offset + kOctetsPerLine; at < f.offset + f.length && 2 * at < hex.size(); at += kOctetsPerLine) {
        const std::string rest = octets(hex, at, std::min<std::size_t>(f.offset + f.length, at + kOctetsPerLine));
        char text[128];
        std::snprintf(text, sizeof text, "%5s  %s\n", "", rest.c_str());
        out += text;
    }
    return out;
}

}  // namespace

Explained explain_pdu(std::string_view hex, unsigned flags, velmora_message &message) {
    Explained e;
    std::size_t count = 0;
    velmora_explain_hex(hex.data(), hex.size(), flags, &message, nullptr, 0, &count, &e.error);
    e.fields.resize(count);
    velmora_field_init(e.fields.data(), e.fields.size());
    e.status = velmora_explain_hex(hex.data(), hex.size(), flags, &message, e.fields.data(), e.fields.size(), &count,
                                   &e.error);
    return e;
}

std::string annotated_hex(std::string_view hex, const std::vector<velmora_field> &fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i)
        out += field_lines(hex, fields, i) + warning_lines(fields[i]);
    return out;
}

std::string fields_json(const std::vector<velmora_field> &fields) {
    std::string out = "[";
    for (const velmora_field &f : fields) {
        JsonObject o;
        o.add("name", json_string(f.name)).add("offset", f.offset).add("length", f.length);
        if (f.bit_count != 0)
            o.add("bits", "[" + std::to_string(f.first_bit) + "," + std::to_string(f.bit_count) + "]");
        if (f.level != 0)
            o.add("level", f.level);
        o.add("meaning", json_string(f.meaning));
        if (f.warnings != 0)
            o.add("warning", json_string(warning_names(f.warnings)));
        if (f.kind == VELMORA_FIELD_ERROR)
            o.add("error", "true");
        out += (out.size() > 1 ? "," : "") + o.text();
    }
    return out + "]";
}

}  // namespace velmora::cli
