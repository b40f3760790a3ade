// convert_bytestr_to_hexarray: any text, any length up to the text's own, any capacity;
// a pair of two hex digits gives its own value, whatever came before it.
#include "fuzz.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 601, length_choice = input.take(2), debug = input.take(1) & 1;
    const fuzz::Exact text(input.rest(), true), octets(capacity, 0xA5);
    const auto length = static_cast<std::uint32_t>(length_choice % (std::strlen(text.c()) + 1));
    const std::uint32_t result = convert_bytestr_to_hexarray(text.c(), length, octets.u(), capacity, debug);
    FUZZ_CHECK(result == std::min(capacity, length / 2) && octets.all_from(result, 0xA5));
    const std::string pair_digits = "0123456789ABCDEF0123456789abcdef";
    for (std::uint32_t i = 0; i < result; ++i) {
        const auto high = pair_digits.find(text.c()[2 * i]), low = pair_digits.find(text.c()[2 * i + 1]);
        FUZZ_CHECK(high == std::string::npos || low == std::string::npos || octets[i] == (high % 16 << 4 | low % 16));
    }
    return 0;
}
