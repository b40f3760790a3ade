// Heap use per call. The test binary replaces malloc, calloc, realloc and free with
// counting wrappers around glibc's own allocator (__libc_malloc and friends), so every
// allocation the library makes, directly or through operator new, is seen. Under the
// sanitizers, which bring their own allocator, nothing is replaced; under valgrind,
// which replaces malloc everywhere, the wrappers are bypassed. The test skips then.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "velmora.h"

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMORA_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VELMORA_SANITIZED_HEAP 1
#endif
#endif

namespace {

// What the current thread allocated (sizes in order) and released while counting was on.
struct HeapLog {
    bool counting = false;
    std::vector<std::size_t> *sizes = nullptr;
    int releases = 0;
};
thread_local HeapLog t_heap;

[[maybe_unused]] void *noted(void *block, std::size_t size) {
    if (t_heap.counting && block != nullptr) {
        t_heap.counting = false;  // the vector's own growth is not the library's
        t_heap.sizes->push_back(size);
        t_heap.counting = true;
    }
    return block;
}

[[maybe_unused]] void *released(void *block) {
    t_heap.releases += t_heap.counting && block != nullptr;
    return block;
}

}  // namespace

#ifndef VELMORA_SANITIZED_HEAP
extern "C" {
void *__libc_malloc(std::size_t size) noexcept;
void *__libc_calloc(std::size_t count, std::size_t size) noexcept;
void *__libc_realloc(void *block, std::size_t size) noexcept;
void __libc_free(void *block) noexcept;

void *malloc(std::size_t size) noexcept { return noted(__libc_malloc(size), size); }
void *calloc(std::size_t count, std::size_t size) noexcept { return noted(__libc_calloc(count, size), count * size); }
void *realloc(void *block, std::size_t size) noexcept { return noted(__libc_realloc(released(block), size), size); }
void free(void *block) noexcept { __libc_free(released(block)); }
}
#endif

namespace {

// The sizes allocated during `call`; false from `call` fails the row. The releases must match.
std::vector<std::size_t> heap_sizes(const std::function<bool()> &call) {
    std::vector<std::size_t> sizes;
    sizes.reserve(64);
    t_heap = HeapLog{true, &sizes, 0};
    const bool worked = call();
    t_heap.counting = false;
    EXPECT_TRUE(worked);
    EXPECT_EQ(t_heap.releases, static_cast<int>(sizes.size())) << "every allocation freed";
    return sizes;
}

// Records in static storage, so that building them allocates nothing: `letters` codes
// to 12345 with callback `callback` (both type 0x81).
sms_message &record(std::size_t letters, const char *callback = "678") {
    static sms_message sms;
    std::memset(&sms, 0, sizeof sms);
    std::memcpy(sms.dst_telnum, "12345", 5);
    sms.dst_telnum_len = 5;
    sms.dst_telnum_type = sms.telnum_type = 0x81;
    sms.telnum_len = static_cast<std::uint32_t>(std::strlen(callback));
    std::memcpy(sms.telnum, callback, sms.telnum_len);
    for (std::size_t i = 0; i < letters; ++i)
        sms.text[i] = static_cast<char>('a' + i % 26);
    sms.text_len = static_cast<std::uint32_t>(letters);
    return sms;
}

bool encodes(int format, std::size_t length, std::uint32_t parts) {
    sms_message &sms = record(length);
    return sms_encode_pdus(&sms, format, 0) == 0 && sms.pdu_count == parts;
}

bool decodes(int (*decode)(const char *, std::uint32_t, sms_message *, int), const char *pdu) {
    sms_message &sms = record(0);
    return decode(pdu, static_cast<std::uint32_t>(std::strlen(pdu)), &sms, 0) == 0 && sms.text_len > 0;
}

// One scratch buffer per part, of the part's octet bound: GSM 7x/8 + ceil(d/2) + 10
// (17 with the concatenation header), 3GPP2 two octets more for the callback length and
// teleservice. Refused encodings, decoders and codecs use no heap at all.
TEST(AllocationTest, OneScratchBufferPerEncodedPartNoneElsewhere) {
    if (RUNNING_ON_VALGRIND || heap_sizes([] { std::free(std::malloc(1)); return true; }).size() != 1)
        GTEST_SKIP() << "malloc here is the sanitizer's or valgrind's, not the counting wrapper";
    using Sizes = std::vector<std::size_t>;
    const Sizes six_gsm(6, 153), six_3gpp2(6, 157);
    const struct {
        const char *name;
        std::function<bool()> call;
        Sizes sizes;
    } rows[] = {
        {"gsm 5", [] { return encodes(SMS_FORMAT_GSM, 5, 1); }, {17}},
        {"gsm 160", [] { return encodes(SMS_FORMAT_GSM, 160, 1); }, {153}},
        {"gsm 161, two parts", [] { return encodes(SMS_FORMAT_GSM, 161, 2); }, {153, 27}},
        {"gsm 918, six parts", [] { return encodes(SMS_FORMAT_GSM, 918, 6); }, six_gsm},
        {"3gpp2 5", [] { return encodes(SMS_FORMAT_3GPP2, 5, 1); }, {21}},
        {"3gpp2 160", [] { return encodes(SMS_FORMAT_3GPP2, 160, 1); }, {157}},
        {"3gpp2 918, six parts", [] { return encodes(SMS_FORMAT_3GPP2, 918, 6); }, six_3gpp2},
        {"refused: empty text", [] { return !encodes(SMS_FORMAT_GSM, 0, 0); }, {}},
        {"refused: out below 2S", [] { char o[33]; return sms_encode_pdu(&record(5), o, 33, 0, 0, 0, 0) < 0; }, {}},
        {"refused: no callback",
         [] { char o[322]; return sms_encode_3gpp2_pdu(&record(5, ""), o, sizeof o, 0, 0, 0, 0) < 0; }, {}},
        {"decoders",
         [] {
             return decodes(sms_decode_pdu, "00040B912143658709F100001220413160508005E8329BFD06") &&
                    decodes(sms_decode_pdu, "00440B912143658709F1000012204131605080090500032A0201D069") &&
                    decodes(sms_decode_pdu, "00040B912143658709F10008122041316050800400480069") &&
                    decodes(sms_decode_pdu, "00040B912143658709F100041220413160508003414243") &&
                    decodes(sms_decode_3gpp2_pdu, "07812143658709F12102141306051002000205E8329BFD06") &&
                    decodes(sms_decode_3gpp2_pdu, "07812143658709F121021413060510050002090500032A0201D069");
         },
         {}},
        {"codecs",
         [] {
             unsigned char octets[918];
             char text[161];
             return convert_bytestr_to_hexarray("0A1b", 4, octets, sizeof octets, 0) == 2 &&
                    convert_hexarray_to_bytestr(octets, 2, text, sizeof text) == 4 &&
                    encode_ascii_to_gsm0338("a{b", 3, octets, sizeof octets, 0) == 4 &&
                    decode_gsm0338_to_ascii(octets, 4, text, sizeof text) == 3 &&
                    decode7(reinterpret_cast<const unsigned char *>("\x41\xE1\x90\x58\x34\x1E\x91"), 8, octets,
                            sizeof octets, 0) == 0;
         },
         {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(heap_sizes(row.call), row.sizes);
    }
}

}  // namespace
