// SPDX-License-Identifier: Apache-2.0
// encode_ascii_to_gsm0338 over any text (NULs included), lengths up to 2047, any capacity,
// into an area of exactly that capacity: the codes of each character encoded on its own, at
// most 1837 of them, cut at the capacity without a trailing ESC, then zeros.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 4001, debug = input.take(1) & 1;
    const std::string chars(input.rest());
    const auto length = static_cast<std::uint32_t>(chars.size());
    const fuzz::Exact text(chars, false), codes(capacity, 0xA5);
    const std::uint32_t result = encode_ascii_to_gsm0338(text.c(), length, codes.u(), capacity, debug);
    if (capacity <= 917 || length > 1836) {
        FUZZ_CHECK(result == 0 && codes.all_from(0, 0xA5));
        return 0;
    }
    std::string want;
    for (std::uint32_t i = 0; i < length; ++i) {
        unsigned char one[918];
        const std::uint32_t n = encode_ascii_to_gsm0338(chars.data() + i, 1, one, sizeof one, 0);
        if (want.size() + n > 1837)
            break;
        want.append(reinterpret_cast<char *>(one), n);
    }
    if (want.size() > capacity)
        want.resize(capacity - (want[capacity - 1] == '\x1B'));
    FUZZ_CHECK(result == want.size() && !std::memcmp(codes.u(), want.data(), result) && codes.all_from(result, 0));
    return 0;
}
