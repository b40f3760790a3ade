// SPDX-License-Identifier: Apache-2.0
// The codec functions from tests/vectors/codecs.tsv, then what rows cannot hold: field
// scans against libc and septets against a bit-by-bit reference.
#include <algorithm>
#include <cstdio>
#include <random>

#include "codec/septets.h"
#include "compat/hex_field.h"
#include "compat/septets.h"
#include "compat/telnum.h"
#include "compat/user_data.h"
#include "support.h"

using vt::Bytes;

void vt::codec_vectors(bool traced) {
    for (const Row &row : rows("codecs.tsv", traced)) {
        SCOPED_TRACE(row.where);
        const Bytes in = bytes(row[1]), want = bytes(row[4]);
        const Exact text(in), octets(in, false);
        const auto n = static_cast<std::uint32_t>(in.size());
        std::uint32_t a[3] = {};
        std::istringstream(row[2]) >> a[0] >> a[1] >> a[2];
        Bytes out(want.size() + 2, '\xEE');  // the output area, then two guard bytes
        char *o = out.data();
        auto *u = reinterpret_cast<unsigned char *>(o);
        auto sms = record(row[0].rfind("datetime", 0) == 0 ? 0x55 : 0);
        const int d = row.option("trace").has_value();
        const std::map<std::string, std::function<long long()>> functions = {
            {"render", [&] { return convert_hexarray_to_bytestr(octets.u(), n, o, a[0]); }},
            {"parse", [&] { return convert_bytestr_to_hexarray(text.c(), a[0], u, a[1], d); }},
            {"gsm_encode", [&] { return encode_ascii_to_gsm0338(octets.c(), n, u, a[0], d); }},
            {"gsm_decode", [&] { return decode_gsm0338_to_ascii(octets.u(), n, o, a[0]); }},
            {"encode7", [&] { return velmora::compat::encode7(octets.u(), n, u, a[1], a[0], d); }},
            {"decode7", [&] { return decode7(octets.u(), a[0], u, a[2], a[1]); }},
            {"telnum_encode", [&] { return velmora::compat::encode_telnum(text.c(), n, u, a[0]); }},
            {"telnum_decode", [&] { return velmora::compat::decode_telnum(text.c(), a[0], sms.get()); }},
            {"datetime", [&] { return decode_datetime(text.c(), sms.get()), 0; }},
            {"datetime_3gpp2", [&] { return decode_datetime_3gpp2(text.c(), sms.get()), 0; }},
            {"udata7", [&] { return velmora::compat::decode_7bit_pdu(text.c(), a[0], o, a[2], a[1], d); }},
            {"ucs2", [&] { return velmora::compat::decode_ucs2_pdu(text.c(), a[0], o, a[1], d); }},
        };
        long long result = 0;
        observe(row, [&] { result = functions.at(row[0])(); });
        if (row[0] == "telnum_decode" || row[0].rfind("datetime", 0) == 0)  // the members written
            std::memcpy(o, row[0] == "telnum_decode" ? sms->telnum : sms->date_time, want.size());
        EXPECT_TRUE(row[3] == "-" || result == row.num(3)) << result;
        EXPECT_EQ(hex(out), hex(want + "\xEE\xEE"));
    }
}

namespace {

TEST(CodecTest, Vectors) { vt::codec_vectors(true); }

std::optional<std::uint32_t> libc_scan(const char *text, int width) {
    unsigned value = 0;
    return std::sscanf(text, width == 2 ? "%02X" : "%04X", &value) == 1 ? std::optional(value) : std::nullopt;
}

// Against libc's sscanf: every two-character field, with and without more after it; random
// text field by field and whole, one scan per pair into a value kept across pairs.
TEST(HexScanTest, MatchesLibc) {
    for (const std::string tail : {"", "7Fz"})
        for (int pair = 0; pair < 65536; ++pair) {
            const vt::Exact text(Bytes{static_cast<char>(pair >> 8), static_cast<char>(pair)} + tail);
            ASSERT_EQ(velmora::compat::scan_hex_field(text.c(), 2), libc_scan(text.c(), 2)) << pair << tail;
        }
    std::mt19937 rng(2024);
    const std::string alphabet = "0123456789abcdefABCDEFxXgGzZ +-\t\n";
    for (int i = 0; i < 100000; ++i) {
        std::string input(rng() % 41, ' ');
        for (char &c : input)  // a quarter of the texts hex digits only
            c = alphabet[rng() % (i % 4 ? alphabet.size() : 22)];
        const vt::Exact text(input);
        for (const int width : {2, 4})
            ASSERT_EQ(velmora::compat::scan_hex_field(text.c(), width), libc_scan(text.c(), width)) << input;
        const std::uint32_t length = static_cast<std::uint32_t>(rng() % (input.size() + 1)), cap = rng() % 25;
        Bytes want, out(cap + 1, '\xEE');
        for (unsigned at = 0, value = 0; at + 1 < length && want.size() < cap; at += 2)
            want += static_cast<char>(std::sscanf(text.c() + at, "%02X", &value), value);
        ASSERT_EQ(convert_bytestr_to_hexarray(text.c(), length, reinterpret_cast<unsigned char *>(out.data()), cap, 0),
                  want.size()) << input;
        ASSERT_EQ(vt::hex(out.substr(0, want.size() + 1)), vt::hex(want + '\xEE')) << input;
    }
}

// For every fill and count: encode7 of random codes, and decode7 of what that packed, each in
// a block of its exact size (decode7 of random octets: fuzz/decode7_fuzzer.cpp).
TEST(SeptetTest, MatchesBitByBitReference) {
    std::mt19937 rng(161);
    for (std::uint32_t fill = 0; fill <= 6; ++fill)
        for (std::uint32_t count = fill ? 1 : 0; count <= 161; ++count) {
            SCOPED_TRACE(testing::Message() << "fill " << fill << " count " << count);
            Bytes codes(count, '\0'), back(323, '\xEE');
            std::generate(codes.begin(), codes.end(), rng);
            const Bytes packed = vt::pack_septets(codes, fill);
            Bytes out(packed.size() + 1, '\xEE');
            auto *u = reinterpret_cast<unsigned char *>(out.data());
            auto *b = reinterpret_cast<unsigned char *>(back.data());
            const auto size = static_cast<std::uint32_t>(packed.size());
            ASSERT_EQ(velmora::encode7(vt::Exact(codes, false).u(), count, u, size, fill), size);
            ASSERT_EQ(vt::hex(out), vt::hex(packed + '\xEE'));
            ASSERT_EQ(decode7(vt::Exact(packed, false).u(), count, b, 322, fill), 0);
            for (char &code : codes)
                code &= 0x7F;
            ASSERT_EQ(vt::hex(back.substr(0, count + 1)), vt::hex(codes + '\xEE'));
        }
}

}  // namespace
