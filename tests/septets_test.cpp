// Septet packing: codes packed LSB first behind 0-6 fill bits, and unpacking.
#include <random>

#include "codec/septets.h"
#include "pdu_test_support.h"

namespace {

using pdu_test::pack_septets;
using pdu_test::unpack_septets;
using Bytes = std::string;
constexpr char kUntouched = '\xEE';

unsigned char *u8(Bytes &b) { return reinterpret_cast<unsigned char *>(b.data()); }
const unsigned char *u8(const Bytes &b) { return reinterpret_cast<const unsigned char *>(b.data()); }

const Bytes kHelloHello = "hellohello", kAtoH = "ABCDEFGH";

struct PackRow {
    Bytes codes;
    std::uint32_t fill, cap, result;
    Bytes written;  // octets written, also when the result is 0
};

TEST(SeptetTest, Encode7PacksBehindFillBits) {
    const PackRow rows[] = {
        {kHelloHello, 0, 20, 9, "\xE8\x32\x9B\xFD\x46\x97\xD9\xEC\x37"},
        {kAtoH, 1, 20, 8, "\x82\xC2\x21\xB1\x68\x3C\x22\x01"},
        {"A", 3, 20, 2, "\x08\x02"},
        {"\xC1", 0, 20, 1, "\x41"},                                // only the low 7 bits count
        {"", 0, 20, 0, ""},
        {kAtoH, 0, 7, 7, "\x41\xE1\x90\x58\x34\x1E\x91"},          // exact capacity
        {kAtoH, 0, 6, 0, "\x41\xE1\x90\x58\x34\x1E"},              // one short: cap octets written
        {kAtoH, 1, 7, 0, "\x82\xC2\x21\xB1\x68\x3C\x22"},
        {"A", 1, 0, 0, ""},
    };
    for (const auto &row : rows) {
        Bytes out(row.cap + 2, kUntouched);
        EXPECT_EQ(velmora::encode7(u8(row.codes), static_cast<std::uint32_t>(row.codes.size()), u8(out), row.cap,
                                   row.fill, 0),
                  row.result);
        EXPECT_EQ(out, row.written + Bytes(out.size() - row.written.size(), kUntouched))
            << "fill " << row.fill << " cap " << row.cap;
    }
}

struct UnpackRow {
    Bytes packed;
    std::uint32_t count, fill, cap;
    int result;
    Bytes codes;  // codes written
};

TEST(SeptetTest, Decode7UnpacksAndChecksCapacity) {
    const UnpackRow rows[] = {
        {"\x08\x02", 1, 3, 2, 0, "A"},                  // fill 3: code 0 spans two octets
        {Bytes("\x00\x82\x02", 3), 2, 6, 2, 0, "\x08\x14"},
        {Bytes(7, 0), 7, 0, 7, -1, ""},                  // needs floor(8 x 7 / 7) = 8
        {Bytes(7, 0), 7, 0, 8, 0, Bytes(7, 0)},
        {"", 0, 1, 0, 0, ""},
    };
    for (const auto &row : rows) {
        const HeapText packed(row.packed, false);
        Bytes out(row.cap + 2, kUntouched);
        EXPECT_EQ(decode7(packed.octets(), row.count, u8(out), row.cap, row.fill), row.result);
        EXPECT_EQ(out, row.codes + Bytes(out.size() - row.codes.size(), kUntouched))
            << "count " << row.count << " fill " << row.fill;
    }
}

TEST(SeptetTest, Encode7TracesBeforeAndAfterDumps) {
    unsigned char out[20];
    testing::internal::CaptureStdout();
    velmora::encode7(u8(kHelloHello), 10, out, sizeof out, 0, 1);
    velmora::encode7(u8(kAtoH), 8, out, sizeof out, 1, 1);
    velmora::encode7(u8(kAtoH), 8, out, 6, 0, 1);  // does not fit: no after-dump
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F68656C6C6F\n"
              "DEBUG: encode7(): LINE 516,  data after = E8329BFD4697D9EC37, length = 18\n"
              "DEBUG: encode7(): LINE 488,  data before = 4142434445464748\n"
              "DEBUG: encode7(): LINE 516,  data after = 82C221B1683C2201, length = 16\n"
              "DEBUG: encode7(): LINE 488,  data before = 4142434445464748\n");
}

// Against the bit-by-bit reference, for every fill and count: encode7 of random codes,
// decode7 of what it packed (the round trip) and decode7 of random octets.
TEST(SeptetTest, MatchesBitByBitReferenceForEveryFillAndCount) {
    std::mt19937 rng(161);
    const auto random_bytes = [&rng](std::size_t n) {
        Bytes bytes(n, 0);
        for (char &b : bytes)
            b = static_cast<char>(rng());
        return bytes;
    };
    for (std::uint32_t fill = 0; fill <= 6; ++fill) {
        for (std::uint32_t count = fill ? 1 : 0; count <= 161; ++count) {
            SCOPED_TRACE(testing::Message() << "fill " << fill << " count " << count);
            const Bytes codes = random_bytes(count);
            const Bytes expected = pack_septets(codes, fill);
            const auto size = static_cast<std::uint32_t>(expected.size());

            Bytes packed(size + 1, kUntouched);
            ASSERT_EQ(velmora::encode7(u8(codes), count, u8(packed), size, fill, 0), size);
            ASSERT_EQ(packed, expected + kUntouched);

            Bytes low7 = codes;
            for (char &c : low7)
                c &= 0x7F;
            const Bytes noise = random_bytes(size);
            const Bytes noise_codes = unpack_septets(noise, fill, count);
            for (const auto &[octets, want] : {std::pair{expected, low7}, {noise, noise_codes}}) {
                const HeapText exact(octets, false);
                Bytes out(323, kUntouched);
                ASSERT_EQ(decode7(exact.octets(), count, u8(out), 322, fill), 0);
                ASSERT_EQ(out.substr(0, count + 1), want + kUntouched);
            }
        }
    }
}

}  // namespace
