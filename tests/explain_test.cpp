// SPDX-License-Identifier: Apache-2.0
// velmora_explain and velmora_explain_hex: the same entries for octets and hex, every
// capacity written exactly as far as it goes, a caller's larger struct stepped through by its
// size, and no heap. What each entry says is checked by the tool's golden file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codec/hex.h"
#include "support.h"
#include "velmora/sms.h"

namespace {

// A part with a concatenation and a locking-shift element, fill bits and text.
constexpr char kPart[] = "0041000791942143F50000120800038C0202250101A0D3E9743A9D0E";
constexpr unsigned char kGuard = 0xA5;

std::vector<velmora_field> explained(const char *hex, std::size_t capacity, std::size_t &count) {
    std::vector<velmora_field> fields(capacity + 1);
    std::memset(fields.data(), kGuard, fields.size() * sizeof fields[0]);
    velmora_field_init(fields.data(), capacity + 1);
    std::memset(&fields[capacity], kGuard, sizeof fields[capacity]);
    velmora_explain_hex(hex, std::strlen(hex), 0, nullptr, fields.data(), capacity, &count, nullptr);
    return fields;
}

bool same(const velmora_field &a, const velmora_field &b) {
    return a.kind == b.kind && a.level == b.level && a.first_bit == b.first_bit && a.bit_count == b.bit_count &&
           a.offset == b.offset && a.length == b.length && std::strcmp(a.name, b.name) == 0 &&
           std::strcmp(a.meaning, b.meaning) == 0;
}

TEST(ExplainTest, EveryCapacityWritesItsShareAndCountsAll) {
    std::size_t all = 0;
    const auto full = explained(kPart, 64, all);
    ASSERT_GT(all, 12u);  // fields, the eight first-octet entries and the header's parts
    for (std::size_t capacity = 0; capacity <= all + 1; ++capacity) {
        std::size_t count = 0;
        const auto fields = explained(kPart, capacity, count);
        EXPECT_EQ(count, all);
        for (std::size_t i = 0; i < std::min(capacity, all); ++i)
            EXPECT_TRUE(same(fields[i], full[i])) << capacity << " " << i;
        const auto *guard = reinterpret_cast<const unsigned char *>(&fields[capacity]);
        for (std::size_t b = 0; b < sizeof(velmora_field); ++b)
            ASSERT_EQ(guard[b], kGuard) << "written past capacity " << capacity;
    }
}

TEST(ExplainTest, OctetsAndHexAgreeAndDecodeAsVelmoraDecode) {
    std::vector<std::uint8_t> octets(std::strlen(kPart) / 2);
    velmora::parse_digit_pairs(kPart, static_cast<std::uint32_t>(octets.size()), octets.data());
    std::vector<velmora_field> a(40);
    velmora_field_init(a.data(), a.size());
    velmora_message explained_message, decoded;
    velmora_message_init(&explained_message);
    velmora_message_init(&decoded);
    std::size_t na = 0, nb = 0;
    ASSERT_EQ(velmora_explain(octets.data(), octets.size(), 0, &explained_message, a.data(), a.size(), &na, nullptr),
              VELMORA_OK);
    const auto b = explained(kPart, 40, nb);
    ASSERT_EQ(na, nb);
    for (std::size_t i = 0; i < na; ++i)
        EXPECT_TRUE(same(a[i], b[i])) << i;
    velmora_decode(octets.data(), octets.size(), 0, &decoded, nullptr);
    EXPECT_EQ(std::memcmp(&explained_message, &decoded, offsetof(velmora_message, udh)), 0);
}

TEST(ExplainTest, LargerCallerStructSteppedBySize) {
    struct Later {
        velmora_field field;
        unsigned char appended[24];
    };
    std::vector<Later> later(4);
    std::memset(later.data(), kGuard, later.size() * sizeof later[0]);
    for (Later &l : later)
        l.field.size = sizeof(Later);
    std::size_t count = 0;
    velmora_explain_hex(kPart, std::strlen(kPart), 0, nullptr, &later[0].field, later.size(), &count, nullptr);
    EXPECT_STREQ(later[2].field.name, "TP-MTI");
    EXPECT_EQ(later[3].field.first_bit, 2);
    for (const Later &l : later) {
        EXPECT_EQ(l.field.size, sizeof(Later));
        for (unsigned char c : l.appended)
            EXPECT_EQ(c, kGuard);
    }
}

TEST(ExplainTest, ArgumentsAndNoHeap) {
    velmora_error error = VELMORA_ERROR_INIT;
    velmora_field field;
    velmora_field_init(&field, 1);
    EXPECT_EQ(velmora_explain_hex(kPart, 4, 0, nullptr, &field, 1, nullptr, &error), VELMORA_E_ARGUMENT);
    EXPECT_STREQ(error.field, "count");
    field.size = 8;
    std::size_t count = 0;
    EXPECT_EQ(velmora_explain_hex(kPart, 4, 0, nullptr, &field, 1, &count, &error), VELMORA_E_ARGUMENT);
    EXPECT_STREQ(error.field, "fields");
    std::vector<velmora_field> fields(40);
    velmora_field_init(fields.data(), fields.size());
    EXPECT_EQ(vt::heap_use([&] {
                  velmora_explain_hex(kPart, std::strlen(kPart), 0, nullptr, fields.data(), fields.size(), &count,
                                      nullptr);
              }),
              "");
}

}  // namespace
