#include "codec/utf8.h"

namespace velmora {

std::size_t next_utf8(std::string_view text, std::size_t at, char32_t &cp) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        cp = lead;
        return 1;
    }
    std::size_t length;
    char32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, min = 0x80, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, min = 0x800, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, min = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

std::size_t utf16be_to_utf8(std::span<const std::uint8_t> octets, char *out) {
    std::size_t written = 0;
    std::size_t i = 0;
    const auto unit = [&](std::size_t at) { return static_cast<char32_t>(octets[at] << 8 | octets[at + 1]); };
    for (; i + 2 <= octets.size(); i += 2) {
        char32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            const bool pair = cp <= 0xDBFF && i + 4 <= octets.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF;
            if (pair) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
                i += 2;
            } else {
                cp = kReplacementCharacter;
            }
        }
        written += put_utf8(cp, out + written);
    }
    if (i < octets.size())
        written += put_utf8(kReplacementCharacter, out + written);
    return written;
}

}  // namespace velmora
