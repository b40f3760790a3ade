// SPDX-License-Identifier: Apache-2.0
// convert_hexarray_to_bytestr and convert_bytestr_to_hexarray: octets to hexadecimal text
// and back, pair by pair as libc's sscanf reads them.
#include <algorithm>
#include <cstring>

#include "codec/hex.h"
#include "compat/hex_field.h"
#include "compat/trace.h"
#include "velmora.h"

using namespace velmora;
using velmora::compat::TracePoint;

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
    VELMORA_TRACE(debug, kName, TracePoint::kHexParseEntry, "Entering function\n");
    text_len &= ~1u;
    if (text_len == 0)
        return 0;
    const std::uint32_t count = std::min(octet_capacity, text_len / 2);
    // The scan value carries over a pair that converts nothing, as libc's sscanf leaves it.
    std::uint32_t scanned = 0;
    bool ended = false;  // a NUL was met: later pairs convert nothing and are not read
    std::uint32_t i = 0;
    if (!debug) {
        // Plain digit pairs in bulk, never reading past the NUL; the pair that stops
        // them and all after it take the path below.
        i = parse_digit_pairs(text, static_cast<std::uint32_t>(strnlen(text, 2 * std::size_t{count})) / 2, octets);
        if (i != 0)
            scanned = octets[i - 1];
    }
    for (; i < count; ++i) {
        const char *pair = text + 2 * i;
        if (!ended) {
            if (const auto value = compat::scan_hex_field(pair, 2))
                scanned = *value;
            ended = pair[0] == '\0' || pair[1] == '\0';
        }
        VELMORA_TRACE(debug, kName, TracePoint::kHexParseValue, "Value: %02X\n", scanned);
        octets[i] = static_cast<unsigned char>(scanned);
    }
    return count;
}
