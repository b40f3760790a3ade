#include "codec/hex.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "codec/trace.h"
#include "velmora.h"

namespace velmora {
namespace {

constexpr char hexchar[] = "0123456789ABCDEF";

// Value of a hexadecimal digit of either case, -1 for any other byte.
constexpr std::array<signed char, 256> kDigitValue = [] {
    std::array<signed char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = -1;
    for (int v = 0; v < 16; ++v) {
        table[static_cast<unsigned char>(hexchar[v])] = static_cast<signed char>(v);
        if (v >= 10)
            table[static_cast<unsigned char>(hexchar[v] - 'A' + 'a')] = static_cast<signed char>(v);
    }
    return table;
}();

// Both digits of every octet, high nibble first.
constexpr std::array<std::array<char, 2>, 256> kOctetDigits = [] {
    std::array<std::array<char, 2>, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = {hexchar[b >> 4], hexchar[b & 0x0F]};
    return table;
}();

int digit(char c) { return kDigitValue[static_cast<unsigned char>(c)]; }

}  // namespace

char hex2c(std::uint8_t nibble) { return hexchar[nibble]; }

std::optional<std::uint32_t> scan_hex_field(const char *text, int width) {
    std::uint32_t value = 0;
    int i = 0;
    // Stops at the first non-digit, so a NUL ends the run before anything past it is read.
    for (; i < width; ++i) {
        const int d = digit(text[i]);
        if (d < 0)
            break;
        value = value << 4 | static_cast<std::uint32_t>(d);
    }
    if (i == width)
        return value;
    // Blanks, signs, a "0x" prefix and short runs: libc decides.
    unsigned int scanned = 0;
    if (std::sscanf(text, width == 2 ? "%02X" : "%04X", &scanned) == 1)
        return scanned;
    return std::nullopt;
}

void scan_three_octets(const char *text, std::uint32_t (&values)[3]) {
    values[0] = values[1] = values[2] = 0;
    int i = 0;
    for (; i < 6; ++i)
        if (digit(text[i]) < 0)
            break;
    if (i == 6) {
        for (int k = 0; k < 3; ++k)
            values[k] = static_cast<std::uint32_t>(digit(text[2 * k]) << 4 | digit(text[2 * k + 1]));
        return;
    }
    unsigned int scanned[3] = {0, 0, 0};
    std::sscanf(text, "%02X%02X%02X", &scanned[0], &scanned[1], &scanned[2]);
    for (int k = 0; k < 3; ++k)
        values[k] = scanned[k];
}

void render_hex(const unsigned char *octets, std::uint32_t count, char *text) {
    for (std::uint32_t i = 0; i < count; ++i) {
        text[2 * i] = kOctetDigits[octets[i]][0];
        text[2 * i + 1] = kOctetDigits[octets[i]][1];
    }
}

}  // namespace velmora

using namespace velmora;

extern "C" std::uint32_t convert_hexarray_to_bytestr(const unsigned char *octets, std::uint32_t octet_count,
                                                     char *text, std::uint32_t text_capacity) {
    if (text_capacity < 2 * static_cast<std::uint64_t>(octet_count))
        return 0;
    render_hex(octets, octet_count, text);
    return 2 * octet_count;
}

extern "C" std::uint32_t convert_bytestr_to_hexarray(const char *text, std::uint32_t text_len,
                                                     unsigned char *octets, std::uint32_t octet_capacity,
                                                     int debug) {
    static constexpr const char *kName = "convert_bytestr_to_hexarray";
    VELMORA_TRACE(debug, kName, 531, "Entering function\n");
    text_len &= ~1u;
    if (text_len == 0)
        return 0;
    const std::uint32_t count = std::min(octet_capacity, text_len / 2);
    // The scan value carries over a pair that converts nothing, as libc's sscanf leaves it.
    std::uint32_t scanned = 0;
    bool ended = false;  // a NUL was met: later pairs convert nothing and are not read
    for (std::uint32_t i = 0; i < count; ++i) {
        const char *pair = text + 2 * i;
        if (!ended) {
            if (const auto value = scan_hex_field(pair, 2))
                scanned = *value;
            ended = pair[0] == '\0' || pair[1] == '\0';
        }
        VELMORA_TRACE(debug, kName, 548, "Value: %02X\n", scanned);
        octets[i] = static_cast<unsigned char>(scanned);
    }
    return count;
}
