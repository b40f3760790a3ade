#include "charset.h"

#include <array>
#include <cstdio>

#include "velmora.h"

namespace velmora::cli {
namespace {

constexpr char32_t kEuro = 0x20AC;
constexpr unsigned char kEuroByte = 0x80;
constexpr std::uint32_t kCodeBufferSize = 918;  // the least capacity encode_ascii_to_gsm0338 takes
constexpr std::uint32_t kTextBufferSize = 161;  // the least capacity decode_gsm0338_to_ascii takes

void append_utf8(std::string &out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `at`; returns its length, or 0 when it is malformed
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t next_code_point(std::string_view s, std::size_t at, char32_t &cp) {
    const auto lead = static_cast<unsigned char>(s[at]);
    std::size_t length;
    char32_t least;
    if (lead < 0x80) {
        cp = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, least = 0x80, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, least = 0x800, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, least = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(s[at + i]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

char32_t text8_code_point(unsigned char byte) { return byte == kEuroByte ? kEuro : byte; }

// GSM codes per 8-bit character, 0 for a character that does not come back unchanged
// through the library's own alphabet mapping (bytes outside its tables pass through
// encoding and decode as something else; the byte ESC comes back as '?').
const std::array<std::uint8_t, 256> &codes_per_character() {
    static const std::array<std::uint8_t, 256> table = [] {
        std::array<std::uint8_t, 256> counts{};
        for (unsigned value = 0; value < 256; ++value) {
            const char character = static_cast<char>(value);
            unsigned char codes[kCodeBufferSize];
            const std::uint32_t n = encode_ascii_to_gsm0338(&character, 1, codes, sizeof codes, 0);
            char back[kTextBufferSize];
            const std::uint32_t k = n == 0 ? 0 : decode_gsm0338_to_ascii(codes, n, back, sizeof back);
            if (k == 1 && static_cast<unsigned char>(back[0]) == value)
                counts[value] = static_cast<std::uint8_t>(n);
        }
        return counts;
    }();
    return table;
}

TextError not_carried(char32_t cp, std::size_t position) {
    return {"character " + describe_code_point(cp) + " at position " + std::to_string(position) +
            " cannot be carried in a GSM 7-bit message"};
}

}  // namespace

std::string describe_code_point(char32_t cp) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(cp));
    if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0))
        return name;
    std::string out = "'";
    append_utf8(out, cp);
    return out + "' (" + name + ")";
}

std::string utf8_to_text8(std::string_view utf8, std::optional<TextError> &error) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t position = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        ++position;
        char32_t cp = 0;
        const std::size_t length = next_code_point(utf8, at, cp);
        if (length == 0) {
            error = TextError{"invalid UTF-8 at byte " + std::to_string(at + 1) + " (character " +
                              std::to_string(position) + ")"};
            return {};
        }
        if (cp == kEuro) {
            out += static_cast<char>(kEuroByte);
        } else if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
        } else {
            error = not_carried(cp, position);
            return {};
        }
        at += length;
    }
    return out;
}

std::optional<std::uint32_t> gsm_code_count(std::string_view text8, std::optional<TextError> &error) {
    const auto &per_character = codes_per_character();
    std::uint32_t total = 0;
    for (std::size_t i = 0; i < text8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text8[i]);
        if (per_character[byte] == 0) {
            error = not_carried(text8_code_point(byte), i + 1);
            return std::nullopt;
        }
        total += per_character[byte];
    }
    return total;
}

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

}  // namespace velmora::cli
