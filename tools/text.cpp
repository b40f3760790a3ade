#include "text.h"

#include <cstdio>

namespace velmora::cli {

std::string to_hex(std::string_view octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(2 * octets.size());
    for (const char c : octets) {
        const auto byte = static_cast<unsigned char>(c);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
    return out;
}

std::string describe_code_point(char32_t cp) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
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

}  // namespace velmora::cli
