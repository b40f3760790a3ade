// Septet packing: codes packed LSB first behind 0-6 fill bits, and unpacking.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "codec/septets.h"
#include "velmora.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr unsigned char kUntouched = 0xEE;

static_assert(velmora::packed_size(8, 0) == 7 && velmora::packed_size(160, 0) == 140);
static_assert(velmora::packed_size(8, 1) == 8 && velmora::packed_size(9, 1) == 8);
static_assert(velmora::packed_size(153, 1) == 134 && velmora::packed_size(1, 6) == 2);

const Bytes kHelloHello = {0x68, 0x65, 0x6C, 0x6C, 0x6F, 0x68, 0x65, 0x6C, 0x6C, 0x6F};
const Bytes kAtoH = {0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48};

// An exactly sized heap copy, so that a read past its end is caught under ASan.
std::unique_ptr<unsigned char[]> exact_copy(const Bytes &bytes) {
    auto copy = std::make_unique<unsigned char[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    return copy;
}

struct PackRow {
    Bytes codes;
    std::uint32_t fill;
    std::uint32_t cap;
    std::uint32_t result;
    Bytes written;  // octets written, also when the result is 0
};

TEST(SeptetTest, Encode7PacksBehindFillBits) {
    const PackRow rows[] = {
        {kHelloHello, 0, 20, 9, {0xE8, 0x32, 0x9B, 0xFD, 0x46, 0x97, 0xD9, 0xEC, 0x37}},
        {kAtoH, 0, 20, 7, {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91}},
        {kAtoH, 1, 20, 8, {0x82, 0xC2, 0x21, 0xB1, 0x68, 0x3C, 0x22, 0x01}},
        {{0x41}, 0, 20, 1, {0x41}},
        {{0x41}, 1, 20, 1, {0x82}},
        {{0x41}, 3, 20, 2, {0x08, 0x02}},
        {{0xC1}, 0, 20, 1, {0x41}},                                      // only the low 7 bits count
        {{}, 0, 20, 0, {}},
        {kAtoH, 0, 7, 7, {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91}},   // exact capacity
        {kAtoH, 0, 6, 0, {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E}},         // one short: cap octets written
        {kAtoH, 1, 7, 0, {0x82, 0xC2, 0x21, 0xB1, 0x68, 0x3C, 0x22}},
        {{0x41}, 1, 0, 0, {}},
    };
    for (const auto &row : rows) {
        Bytes out(row.cap + 2, kUntouched);
        EXPECT_EQ(velmora::encode7(row.codes.data(), static_cast<std::uint32_t>(row.codes.size()), out.data(), row.cap,
                                   row.fill, 0),
                  row.result);
        Bytes expected = row.written;
        expected.resize(out.size(), kUntouched);
        EXPECT_EQ(out, expected) << "fill " << row.fill << " cap " << row.cap;
    }
}

struct UnpackRow {
    Bytes packed;
    std::uint32_t count;
    std::uint32_t fill;
    std::uint32_t cap;
    int result;
    Bytes codes;  // codes written
};

TEST(SeptetTest, Decode7UnpacksAndChecksCapacity) {
    const UnpackRow rows[] = {
        {{0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91}, 8, 0, 9, 0, kAtoH},
        {{0x82, 0xC2, 0x21, 0xB1, 0x68, 0x3C, 0x22, 0x01}, 8, 1, 9, 0, kAtoH},
        {{0x08, 0x02}, 1, 3, 2, 0, {0x41}},                 // fill 3: code 0 spans two octets
        {{0x00, 0x82, 0x02}, 2, 6, 2, 0, {0x08, 0x14}},
        {Bytes(7), 7, 0, 7, -1, {}},                         // needs floor(8 x 7 / 7) = 8
        {Bytes(7), 7, 0, 8, 0, Bytes(7)},
        {{}, 0, 0, 0, 0, {}},
        {{}, 0, 1, 0, 0, {}},
    };
    for (const auto &row : rows) {
        const auto packed = exact_copy(row.packed);
        Bytes out(row.cap + 2, kUntouched);
        EXPECT_EQ(decode7(packed.get(), row.count, out.data(), row.cap, row.fill), row.result);
        Bytes expected = row.codes;
        expected.resize(out.size(), kUntouched);
        EXPECT_EQ(out, expected) << "count " << row.count << " fill " << row.fill;
    }
}

TEST(SeptetTest, Encode7TracesBeforeAndAfterDumps) {
    unsigned char out[20];
    testing::internal::CaptureStdout();
    velmora::encode7(kHelloHello.data(), 10, out, sizeof out, 0, 1);
    velmora::encode7(kAtoH.data(), 8, out, sizeof out, 1, 1);
    velmora::encode7(kAtoH.data(), 8, out, 6, 0, 1);  // does not fit: no after-dump
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "DEBUG: encode7(): LINE 488,  data before = 68656C6C6F68656C6C6F\n"
              "DEBUG: encode7(): LINE 516,  data after = E8329BFD4697D9EC37, length = 18\n"
              "DEBUG: encode7(): LINE 488,  data before = 4142434445464748\n"
              "DEBUG: encode7(): LINE 516,  data after = 82C221B1683C2201, length = 16\n"
              "DEBUG: encode7(): LINE 488,  data before = 4142434445464748\n");
}

// Bit-by-bit layout: code k occupies stream bits fill + 7k .. fill + 7k + 6, octet j holds bits 8j .. 8j + 7.
Bytes reference_pack(const Bytes &codes, std::uint32_t fill) {
    Bytes packed((7 * codes.size() + fill + 7) / 8, 0);
    for (std::size_t k = 0; k < codes.size(); ++k)
        for (std::size_t bit = 0; bit < 7; ++bit)
            if (codes[k] >> bit & 1) {
                const std::size_t pos = fill + 7 * k + bit;
                packed[pos / 8] = static_cast<unsigned char>(packed[pos / 8] | 1 << (pos % 8));
            }
    return packed;
}

Bytes reference_unpack(const Bytes &packed, std::uint32_t count, std::uint32_t fill) {
    Bytes codes(count, 0);
    for (std::size_t k = 0; k < count; ++k)
        for (std::size_t bit = 0; bit < 7; ++bit) {
            const std::size_t pos = fill + 7 * k + bit;
            if (packed[pos / 8] >> (pos % 8) & 1)
                codes[k] = static_cast<unsigned char>(codes[k] | 1 << bit);
        }
    return codes;
}

Bytes random_bytes(std::mt19937 &rng, std::size_t n) {
    Bytes bytes(n);
    for (auto &b : bytes)
        b = static_cast<unsigned char>(rng());
    return bytes;
}

TEST(SeptetTest, RoundTripsEveryFillAndCount) {
    std::mt19937 rng(161);
    for (std::uint32_t fill = 0; fill <= 6; ++fill) {
        for (std::uint32_t count = fill ? 1 : 0; count <= 161; ++count) {
            SCOPED_TRACE(testing::Message() << "fill " << fill << " count " << count);
            const Bytes codes = random_bytes(rng, count);
            const Bytes expected_packed = reference_pack(codes, fill);
            const auto size = static_cast<std::uint32_t>(expected_packed.size());

            Bytes packed(size + 1, kUntouched);
            ASSERT_EQ(velmora::encode7(codes.data(), count, packed.data(), size, fill, 0), size);
            ASSERT_EQ(Bytes(packed.begin(), packed.begin() + size), expected_packed);
            ASSERT_EQ(packed[size], kUntouched);

            const auto exact = exact_copy(expected_packed);
            Bytes out(322 + 1, kUntouched);
            ASSERT_EQ(decode7(exact.get(), count, out.data(), 322, fill), 0);
            Bytes low7(codes);
            for (auto &c : low7)
                c &= 0x7F;
            ASSERT_EQ(Bytes(out.begin(), out.begin() + count), low7);
            ASSERT_EQ(out[count], kUntouched);
        }
    }
}

TEST(SeptetTest, Decode7MatchesBitLayoutOnRandomOctets) {
    std::mt19937 rng(7);
    for (int i = 0; i < 5000; ++i) {
        const auto fill = static_cast<std::uint32_t>(rng() % 7);
        const auto count = static_cast<std::uint32_t>(rng() % 161 + 1);
        const Bytes packed = random_bytes(rng, (7 * count + fill + 7) / 8);
        const auto exact = exact_copy(packed);
        Bytes out(322);
        ASSERT_EQ(decode7(exact.get(), count, out.data(), 322, fill), 0);
        ASSERT_EQ(Bytes(out.begin(), out.begin() + count), reference_unpack(packed, count, fill))
            << "fill " << fill << " count " << count;
    }
}

}  // namespace
