// decode_gsm0338_to_ascii over any bytes as codes and any capacity: one character per code
// or ESC pair starting below position 161, none NUL, zeros after them; characters of the
// alphabet encode to codes that decode to the same characters.
#include "fuzz.h"

const fuzz::Representable *representable;

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    representable = new fuzz::Representable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 401;
    const fuzz::Exact codes(input.rest(), false), text(capacity, 0xA5);
    const auto count = static_cast<std::uint32_t>(codes.size());
    const std::uint32_t result = decode_gsm0338_to_ascii(codes.u(), count, text.c(), capacity);
    if (capacity <= 160) {
        FUZZ_CHECK(result == 0 && text.all_from(0, 0xA5));
        return 0;
    }
    std::uint32_t characters = 0;
    for (std::uint32_t i = 0; i < count && i <= 160; i += codes[i] == 0x1B ? 2 : 1)
        ++characters;
    FUZZ_CHECK(result == characters && strnlen(text.c(), result) == result && text.all_from(result, 0));
    const std::string_view decoded(text.c(), result);
    if (!representable->all(decoded))
        return 0;
    unsigned char recoded[918];
    const std::uint32_t n = encode_ascii_to_gsm0338(decoded.data(), result, recoded, sizeof recoded, 0);
    FUZZ_CHECK(n >= result && n <= 2 * result);
    char again[161];
    FUZZ_CHECK(n > 161 || (decode_gsm0338_to_ascii(recoded, n, again, sizeof again) == result &&
                           std::memcmp(again, decoded.data(), result) == 0));
    return 0;
}
