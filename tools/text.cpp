// SPDX-License-Identifier: Apache-2.0
#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>

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

char *write_minutes(char *out, std::uint32_t seconds) {
    static constexpr std::uint32_t kDecimalsFrom[] = {60000, 6000, 600, 60, 6};  // 0 to 4 after the point
    if (seconds >= 599970)  // from 9,999.5 minutes, 1e+04 and up: printf's exponent
        return out + std::snprintf(out, 16, "%.4g", seconds / 60.0);
    unsigned decimals = 0;
    std::uint64_t unit = 1;  // 10 to the decimals
    while (decimals < std::size(kDecimalsFrom) && seconds < kDecimalsFrom[decimals])
        ++decimals, unit *= 10;
    std::uint64_t digits = seconds * unit / 60;
    const std::uint64_t twice_rest = 2 * (seconds * unit % 60);
    if (twice_rest > 60) {
        ++digits;
    } else if (twice_rest == 60) {
        // Halfway between two decimals: printf rounds the double. A multiple of 15 seconds is
        // a binary fraction of a minute, the double exactly halfway: to the even digit. Any
        // other lies above or below it, as the sign of double * 60 - seconds, taken exactly, says.
        if (seconds % 15 == 0)
            digits += digits & 1;
        else if (std::fma(seconds / 60.0, 60.0, -static_cast<double>(seconds)) > 0)
            ++digits;
    }
    std::uint64_t fraction = digits % unit;
    out = std::to_chars(out, out + 16, digits / unit).ptr;
    if (fraction == 0)
        return out;
    for (; fraction % 10 == 0; fraction /= 10)
        --decimals;
    *out++ = '.';
    for (unsigned i = decimals; i-- > 0; fraction /= 10)
        out[i] = static_cast<char>('0' + fraction % 10);
    return out + decimals;
}

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
