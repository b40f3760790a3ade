// SPDX-License-Identifier: Apache-2.0
// decode_gsm0338_to_ascii over any bytes as codes and any capacity: nothing below capacity
// 161, else one character per code or ESC pair starting below position 161, none NUL,
// zeros after them.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 401;
    const fuzz::Exact codes(input.rest(), false), text(capacity, 0xA5);
    const auto count = static_cast<std::uint32_t>(codes.size);
    const std::uint32_t result = decode_gsm0338_to_ascii(codes.u(), count, text.c(), capacity);
    std::uint32_t characters = 0;
    for (std::uint32_t i = 0; capacity > 160 && i < count && i <= 160; i += codes[i] == 0x1B ? 2 : 1)
        ++characters;
    FUZZ_CHECK(result == characters && strnlen(text.c(), result) == result);
    FUZZ_CHECK(text.all_from(result, capacity > 160 ? 0 : 0xA5));
    return 0;
}
