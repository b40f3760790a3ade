// SPDX-License-Identifier: Apache-2.0
#include "text.h"

#include <algorithm>

namespace velmora::cli {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::string_view kIndent = "            ";  // the width of "discharged: "

// At least `width` upper-case hex digits.
std::string hex_number(std::uint32_t value, int width) {
    std::string out;
    for (int shift = 28; shift >= 0; shift -= 4)
        if (shift < 4 * width || (value >> shift) != 0)
            out += kHexDigits[(value >> shift) & 0x0F];
    return out;
}

}  // namespace

std::string to_hex(std::string_view octets) {
    std::string out(2 * octets.size(), '\0');
    write_hex(out.data(), octets);
    return out;
}

char *write_hex(char *out, std::string_view octets) {
    for (const char c : octets) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = kHexDigits[byte >> 4];
        *out++ = kHexDigits[byte & 0x0F];
    }
    return out;
}

std::string hex_octet(std::uint8_t value) { return "0x" + hex_number(value, 2); }

std::string describe_code_point(char32_t cp) {
    const std::string name = "U+" + hex_number(static_cast<std::uint32_t>(cp), 4);
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0))
        return name;
    // The character itself as UTF-8.
    std::string out = "'";
    const int length = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    static constexpr unsigned char kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int i = 0; i < length; ++i) {
        const unsigned bits = static_cast<unsigned>(cp >> (6 * (length - 1 - i)));
        out += static_cast<char>(i == 0 ? (length == 1 ? bits : kLead[length] | bits) : 0x80 | (bits & 0x3F));
    }
    return out + "' (" + name + ")";
}

std::size_t character_position(std::string_view utf8, std::size_t offset) {
    std::size_t position = 1;  // one more than the characters that start before it
    for (std::size_t i = 0; i < offset && i < utf8.size(); ++i)
        position += (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 ? 1 : 0;
    return position;
}

std::string labelled(std::string_view label, std::string_view value) {
    std::string out(label);
    out += ':';
    out.append(kIndent.size() - std::min(label.size() + 1, kIndent.size()), ' ');
    out += value;
    return out + '\n';
}

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

}  // namespace velmora::cli
