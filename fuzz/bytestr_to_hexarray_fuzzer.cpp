// convert_bytestr_to_hexarray: any text, any length up to the text's own, any capacity.
#include "fuzz.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 601, length_choice = input.take(2), debug = input.take(1) & 1;
    const fuzz::Exact text(input.rest(), true);
    const auto length = static_cast<std::uint32_t>(length_choice % (std::strlen(text.c()) + 1));
    const fuzz::Exact octets(capacity, 0xA5);
    const std::uint32_t result = convert_bytestr_to_hexarray(text.c(), length, octets.u(), capacity, debug);
    FUZZ_CHECK(result == std::min(capacity, length / 2) && octets.all_from(result, 0xA5));
    // A pair of two hex digits gives its own value, whatever came before it.
    for (std::uint32_t i = 0; i < result; ++i) {
        const int high = fuzz::hex_digit(text.c()[2 * i]), low = fuzz::hex_digit(text.c()[2 * i + 1]);
        FUZZ_CHECK(high < 0 || low < 0 || octets[i] == (high << 4 | low));
    }
    return 0;
}
