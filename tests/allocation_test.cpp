// Heap use per call. The test binary replaces malloc, calloc, realloc and free with
// counting wrappers around glibc's own allocator (__libc_malloc and friends), so every
// allocation the library makes, directly or through operator new, is seen. Under the
// sanitizers, which bring their own allocator, nothing is replaced; under valgrind,
// which replaces malloc everywhere, the wrappers are bypassed. The tests skip then.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "velmora.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMORA_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VELMORA_SANITIZED_HEAP 1
#endif
#endif

namespace {

// What the current thread allocated and released while counting was on.
struct HeapLog {
    bool counting = false;
    int allocations = 0;
    int releases = 0;
    std::size_t sizes[8] = {};
};

thread_local HeapLog t_heap;

}  // namespace

#ifndef VELMORA_SANITIZED_HEAP
namespace {

void note_allocation(void *block, std::size_t size) {
    if (!t_heap.counting || block == nullptr)
        return;
    if (t_heap.allocations < 8)
        t_heap.sizes[t_heap.allocations] = size;
    ++t_heap.allocations;
}

void note_release(void *block) {
    if (t_heap.counting && block != nullptr)
        ++t_heap.releases;
}

}  // namespace

extern "C" {
void *__libc_malloc(std::size_t size) noexcept;
void *__libc_calloc(std::size_t count, std::size_t size) noexcept;
void *__libc_realloc(void *block, std::size_t size) noexcept;
void __libc_free(void *block) noexcept;

void *malloc(std::size_t size) noexcept {
    void *block = __libc_malloc(size);
    note_allocation(block, size);
    return block;
}

void *calloc(std::size_t count, std::size_t size) noexcept {
    void *block = __libc_calloc(count, size);
    note_allocation(block, count * size);
    return block;
}

void *realloc(void *block, std::size_t size) noexcept {
    note_release(block);
    void *moved = __libc_realloc(block, size);
    note_allocation(moved, size);
    return moved;
}

void free(void *block) noexcept {
    note_release(block);
    __libc_free(block);
}
}
#endif

namespace {

HeapLog count_heap(const std::function<void()> &call) {
    t_heap = HeapLog{};
    t_heap.counting = true;
    call();
    t_heap.counting = false;
    return t_heap;
}

// False when the wrappers above are not the malloc in use: compiled out under a
// sanitizer, or replaced by valgrind, which takes over malloc in the executable too.
bool heap_is_counted() {
    void *(*volatile allocate)(std::size_t) = std::malloc;
    return count_heap([&] { std::free(allocate(1)); }).allocations == 1;
}

#define SKIP_UNLESS_HEAP_COUNTED()                                                              \
    if (!heap_is_counted())                                                                     \
    GTEST_SKIP() << "malloc here is the sanitizer's or valgrind's, not the counting wrapper"

std::string letters(std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i)
        text += static_cast<char>('a' + i % 26);
    return text;
}

// One scratch buffer per part, of the part's octet bound: GSM 7x/8 + ceil(d/2) + 10
// (17 with the concatenation header), 3GPP2 two octets more for the callback length
// and teleservice, with destination 12345 and callback 678.
struct EncodeCase {
    const char *name;
    int format;
    std::size_t length;
    std::vector<std::size_t> scratch_sizes;
};

const EncodeCase kEncodeCases[] = {
    {"gsm_5", SMS_FORMAT_GSM, 5, {17}},
    {"gsm_160", SMS_FORMAT_GSM, 160, {153}},
    {"gsm_161_two_parts", SMS_FORMAT_GSM, 161, {153, 27}},
    {"gsm_918_six_parts", SMS_FORMAT_GSM, 918, {153, 153, 153, 153, 153, 153}},
    {"cdma_5", SMS_FORMAT_3GPP2, 5, {21}},
    {"cdma_160", SMS_FORMAT_3GPP2, 160, {157}},
    {"cdma_918_six_parts", SMS_FORMAT_3GPP2, 918, {157, 157, 157, 157, 157, 157}},
};

TEST(AllocationTest, EncoderAllocatesOneScratchBufferPerPartAndFreesIt) {
    SKIP_UNLESS_HEAP_COUNTED();
    for (const EncodeCase &c : kEncodeCases) {
        SCOPED_TRACE(c.name);
        sms_message sms{};
        std::memcpy(sms.dst_telnum, "12345", 5);
        sms.dst_telnum_len = 5;
        sms.dst_telnum_type = 0x81;
        std::memcpy(sms.telnum, "678", 3);
        sms.telnum_len = 3;
        sms.telnum_type = 0x81;
        const std::string text = letters(c.length);
        std::memcpy(sms.text, text.data(), text.size());
        sms.text_len = static_cast<std::uint32_t>(text.size());

        int result = -1;
        const HeapLog log = count_heap([&] { result = sms_encode_pdus(&sms, c.format, 0); });
        ASSERT_EQ(result, 0);
        EXPECT_EQ(sms.pdu_count, c.scratch_sizes.size());
        ASSERT_EQ(log.allocations, static_cast<int>(c.scratch_sizes.size()));
        EXPECT_EQ(log.releases, log.allocations);
        for (std::size_t i = 0; i < c.scratch_sizes.size(); ++i)
            EXPECT_EQ(log.sizes[i], c.scratch_sizes[i]) << "part " << i + 1;
    }
}

TEST(AllocationTest, RefusedEncodingsAllocateNothing) {
    SKIP_UNLESS_HEAP_COUNTED();
    sms_message sms{};
    std::memcpy(sms.dst_telnum, "12345", 5);
    sms.dst_telnum_len = 5;
    sms.dst_telnum_type = 0x81;
    std::memcpy(sms.text, "hello", 5);
    sms.text_len = 5;
    char out[SMS_PDU_CAPACITY];

    int small_out = 0, no_callback = 0;
    const HeapLog log = count_heap([&] {
        small_out = sms_encode_pdu(&sms, out, 33, 0, 0, 0, 0);           // needs 2 x 17
        no_callback = sms_encode_3gpp2_pdu(&sms, out, sizeof out, 0, 0, 0, 0);  // telnum_len 0
    });
    EXPECT_EQ(small_out, -1);
    EXPECT_EQ(no_callback, -1);
    EXPECT_EQ(log.allocations, 0);

    sms.text_len = 0;
    int empty_text = 0;
    EXPECT_EQ(count_heap([&] { empty_text = sms_encode_pdus(&sms, SMS_FORMAT_GSM, 0); }).allocations, 0);
    EXPECT_EQ(empty_text, -1);
}

// Decoders and codecs: no heap at all. Each row returns true when the call worked.
struct NoHeapCase {
    const char *name;
    std::function<bool()> call;
};

bool decodes(int (*decoder)(const char *, std::uint32_t, sms_message *, int), const char *pdu) {
    sms_message sms{};
    return decoder(pdu, static_cast<std::uint32_t>(std::strlen(pdu)), &sms, 0) == 0 && sms.text_len > 0;
}

TEST(AllocationTest, DecodersAndCodecsUseNoHeap) {
    SKIP_UNLESS_HEAP_COUNTED();
    const NoHeapCase cases[] = {
        {"deliver_7bit", [] { return decodes(sms_decode_pdu, "00040B912143658709F100001220413160508005E8329BFD06"); }},
        {"deliver_concatenated",
         [] { return decodes(sms_decode_pdu, "00440B912143658709F1000012204131605080090500032A0201D069"); }},
        {"deliver_ucs2", [] { return decodes(sms_decode_pdu, "00040B912143658709F10008122041316050800400480069"); }},
        {"deliver_8bit", [] { return decodes(sms_decode_pdu, "00040B912143658709F100041220413160508003414243"); }},
        {"cdma_7bit", [] { return decodes(sms_decode_3gpp2_pdu, "07812143658709F12102141306051002000205E8329BFD06"); }},
        {"cdma_concatenated",
         [] { return decodes(sms_decode_3gpp2_pdu, "07812143658709F121021413060510050002090500032A0201D069"); }},
        {"hex_both_ways",
         [] {
             unsigned char octets[4];
             char text[8];
             return convert_bytestr_to_hexarray("0A1b", 4, octets, sizeof octets, 0) == 2 &&
                    convert_hexarray_to_bytestr(octets, 2, text, sizeof text) == 4;
         }},
        {"alphabet_both_ways",
         [] {
             unsigned char codes[918];
             char text[161];
             return encode_ascii_to_gsm0338("a{b", 3, codes, sizeof codes, 0) == 4 &&
                    decode_gsm0338_to_ascii(codes, 4, text, sizeof text) == 3;
         }},
        {"septets_unpack",
         [] {
             const unsigned char packed[] = {0x41, 0xE1, 0x90, 0x58, 0x34, 0x1E, 0x91};
             unsigned char codes[9];
             return decode7(packed, 8, codes, sizeof codes, 0) == 0 && codes[7] == 0x48;
         }},
    };
    for (const NoHeapCase &c : cases) {
        SCOPED_TRACE(c.name);
        bool worked = false;
        EXPECT_EQ(count_heap([&] { worked = c.call(); }).allocations, 0);
        EXPECT_TRUE(worked);
    }
}

}  // namespace
