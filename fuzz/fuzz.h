// SPDX-License-Identifier: Apache-2.0
// What the libFuzzer targets share: inputs placed in heap blocks of their exact size,
// arguments read from the front of an input, and checks that abort (a finding) on failure.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../tests/exact.h"
#include "velmora.h"
#include "velmora/sms.h"

namespace fuzz {

inline void check(bool ok, const char *condition, const char *file, int line) {
    if (!ok)
        std::fprintf(stderr, "property failed: %s (%s:%d)\n", condition, file, line), std::abort();
}
#define FUZZ_CHECK(condition) fuzz::check((condition), #condition, __FILE__, __LINE__)

using vt::Exact;

// Arguments from the front of the input, little-endian; an exhausted input reads as 0.
struct Input {
    const std::uint8_t *data;
    std::size_t size;
    std::uint32_t take(int octets) {
        std::uint32_t value = 0;
        for (int i = 0; i < octets && size > 0; ++i, --size)
            value |= std::uint32_t{*data++} << 8 * i;
        return value;
    }
    std::string_view bytes(std::size_t n) {
        const std::string_view view(reinterpret_cast<const char *>(data), std::min(n, size));
        return data += view.size(), size -= view.size(), view;
    }
    std::string_view rest() { return bytes(size); }
};

// Trace lines go to stdout, silenced before the fuzzer starts; libFuzzer reports on stderr.
[[maybe_unused]] static const bool stdout_silenced = std::freopen("/dev/null", "w", stdout) != nullptr;

// The characters that survive text -> codes -> text, all 127 of them.
inline const std::string &alphabet() {
    static const std::string chars = [] {
        std::string set;
        for (int c = 0; c < 256; ++c) {
            const char in = static_cast<char>(c);
            unsigned char codes[918];
            char out[161];
            const std::uint32_t n = encode_ascii_to_gsm0338(&in, 1, codes, 918, 0);
            if (decode_gsm0338_to_ascii(codes, n, out, 161) == 1 && out[0] == in)
                set += in;
        }
        FUZZ_CHECK(set.size() == 127);
        return set;
    }();
    return chars;
}

inline bool in_alphabet(std::string_view text) { return text.find_first_not_of(alphabet()) == std::string_view::npos; }

inline bool zero_from(const char *bytes, std::size_t from, std::size_t size) {
    return std::all_of(bytes + from, bytes + size, [](char b) { return b == '\0'; });
}

// A decoder over `data` as text with each length given: the same record traced or not,
// and a sound one whatever the text (members no decoder writes clear, text members ending
// in a NUL, text_len within what the data coding allows, the rest of the text clear).
// The decoder clears every byte first, padding too, or leaves the record alone (3GPP2, sz 0).
inline void check_decoder(int (*decode)(const char *, std::uint32_t, sms_message *, int), bool gsm,
                          const std::uint8_t *data, std::size_t size, std::initializer_list<std::uint32_t> lengths) {
    const Exact pdu({reinterpret_cast<const char *>(data), size}, true);
    for (const std::uint32_t length : lengths) {
        sms_message sms, traced{}, untouched;
        std::memset(&sms, 0xA5, sizeof sms);
        std::memset(&untouched, 0xA5, sizeof untouched);
        const int rc = decode(pdu.c(), length, &sms, 0);
        FUZZ_CHECK(decode(pdu.c(), length, &traced, 1) == rc && (rc == 0 || rc == -1));
        if (!gsm && length == 0) {
            FUZZ_CHECK(rc == -1 && !std::memcmp(&sms, &untouched, sizeof sms));
            continue;
        }
        const std::uint32_t c = sms.data_coding, n = sms.text_len, end = c == (gsm ? 8u : 4u) ? 2 * n + 1 : n;
        const bool septets = c == (gsm ? 0u : 2u) || (!gsm && (c == 3 || c == 9));
        const bool octets = c == (gsm ? 4u : 0u) || (!gsm && c == 8);
        FUZZ_CHECK(!std::memcmp(&sms, &traced, sizeof sms) && sms.reserved == 0 && sms.pdu_count == 0);
        FUZZ_CHECK(sms.dst_telnum_type == 0 && sms.dst_telnum_len == 0 && zero_from(sms.dst_telnum, 0, 32));
        FUZZ_CHECK(zero_from(reinterpret_cast<const char *>(sms.pdus), 0, sizeof sms.pdus));
        FUZZ_CHECK(strnlen(sms.telnum, sizeof sms.telnum) <= 24 && strnlen(sms.date_time, sizeof sms.date_time) < 20);
        FUZZ_CHECK(strnlen(sms.date_time_raw, sizeof sms.date_time_raw) <= 12 && strnlen(sms.timezone, 3) <= 2);
        FUZZ_CHECK(rc == 0 ? (septets || octets || end != n) && end <= sizeof sms.text : n == 0);
        FUZZ_CHECK(zero_from(sms.text, rc == 0 ? end : 1, sizeof sms.text) && (rc != 0 || octets || n >= 1));
        FUZZ_CHECK(rc != 0 || !septets || (n <= 161 && strnlen(sms.text, n) == n));  // no GSM code decodes to NUL
    }
}

}  // namespace fuzz
