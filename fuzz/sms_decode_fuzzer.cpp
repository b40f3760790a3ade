// velmora_decode and velmora_decode_hex over arbitrary input. The first byte picks the
// flags; the rest is the PDU, as octets and as the hex text of those octets, each in a
// heap block of exactly its size.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "codec/utf8.h"
#include "velmora/sms.h"

#define SMS_FUZZ_CHECK(condition)                                                                 \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace {

bool valid_utf8(const char *text, std::size_t length) {
    const std::string_view view(text, length);
    char32_t cp;
    for (std::size_t at = 0; at < length;) {
        const std::size_t n = velmora::next_utf8(view, at, cp);
        if (n == 0)
            return false;
        at += n;
    }
    return true;
}

void check(const velmora_message &m, velmora_status status, const velmora_error &e, std::size_t octets,
           unsigned flags) {
    SMS_FUZZ_CHECK(status == e.status);
    const bool both_directions = (flags & VELMORA_FROM_NETWORK) && (flags & VELMORA_TO_NETWORK);
    SMS_FUZZ_CHECK((status == VELMORA_E_ARGUMENT) == both_directions);
    if (both_directions)
        return;
    SMS_FUZZ_CHECK(status >= VELMORA_OK && status <= VELMORA_E_BAD_ELEMENT);
    SMS_FUZZ_CHECK(e.field != nullptr && (status == VELMORA_OK) == (e.field[0] == '\0'));
    SMS_FUZZ_CHECK(e.offset <= octets);
    SMS_FUZZ_CHECK(m.text_length < VELMORA_TEXT_CAPACITY && m.text[m.text_length] == '\0');
    SMS_FUZZ_CHECK(valid_utf8(m.text, m.text_length));
    SMS_FUZZ_CHECK(m.data_length <= VELMORA_DATA_CAPACITY);
    SMS_FUZZ_CHECK(m.udh_length <= VELMORA_UDH_CAPACITY && m.element_count <= VELMORA_ELEMENT_CAPACITY);
    for (std::uint32_t i = 0; i < m.element_count; ++i)
        SMS_FUZZ_CHECK(m.elements[i].offset + m.elements[i].length <= m.udh_length);
    for (const velmora_address *a : {&m.smsc, &m.originator, &m.recipient})
        SMS_FUZZ_CHECK(std::memchr(a->text, '\0', sizeof a->text) != nullptr && valid_utf8(a->text, std::strlen(a->text)));
    SMS_FUZZ_CHECK(m.part <= m.parts && (m.reference_bits == 0) == (m.part == 0));
}

// Two records hold the same message: every field, and the arrays as far as their lengths go.
bool same_message(const velmora_message &a, const velmora_message &b) {
    const auto same = [](const void *x, const void *y, std::size_t n) { return std::memcmp(x, y, n) == 0; };
    return same(&a, &b, offsetof(velmora_message, udh)) && same(a.udh, b.udh, a.udh_length) &&
           same(a.elements, b.elements, a.element_count * sizeof a.elements[0]) &&
           same(a.text, b.text, a.text_length + 1) && same(a.data, b.data, a.data_length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    // Bits 0-1: VELMORA_NO_SMSC and VELMORA_CDMA; bits 2-3: the direction flags, both refused together.
    const unsigned flags = data[0] & (VELMORA_NO_SMSC | VELMORA_CDMA | VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK);
    const std::size_t n = size - 1;
    const std::unique_ptr<std::uint8_t[]> octets(new std::uint8_t[n]);
    std::memcpy(octets.get(), data + 1, n);
    const std::unique_ptr<char[]> hex(new char[2 * n]);
    for (std::size_t i = 0; i < n; ++i) {
        hex[2 * i] = "0123456789abcdef"[octets[i] >> 4];
        hex[2 * i + 1] = "0123456789abcdef"[octets[i] & 15];
    }

    // A record full of garbage decodes exactly like a cleared one.
    const auto first = std::make_unique<velmora_message>();
    std::memset(first.get(), 0xA5, sizeof *first);
    velmora_error e1;
    const velmora_status s1 = velmora_decode(octets.get(), n, flags, first.get(), &e1);
    check(*first, s1, e1, n, flags);

    const auto second = std::make_unique<velmora_message>();
    velmora_error e2;
    const velmora_status s2 = velmora_decode_hex(hex.get(), 2 * n, flags, second.get(), &e2);
    SMS_FUZZ_CHECK(s1 == s2 && e1.offset == e2.offset && std::strcmp(e1.field, e2.field) == 0);
    SMS_FUZZ_CHECK(same_message(*first, *second));

    // The input's bytes taken as hex text themselves: mostly not hex, sometimes a PDU.
    const std::unique_ptr<char[]> text(new char[n]);
    std::memcpy(text.get(), data + 1, n);
    velmora_error e3;
    const velmora_status s3 = velmora_decode_hex(text.get(), n, flags, second.get(), &e3);
    check(*second, s3, e3, n / 2, flags);
    return 0;
}
