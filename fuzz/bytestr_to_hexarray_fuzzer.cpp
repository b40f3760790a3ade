// convert_bytestr_to_hexarray: any text, any length up to the text's own, any capacity.
#include <algorithm>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint32_t capacity = input.below_or(600);
    const std::uint16_t length_choice = input.u16();
    const int debug = input.u8() & 1;
    const fuzz::HeapText text(input.rest());

    const auto available = static_cast<std::uint32_t>(std::strlen(text.c_str()));
    const std::uint32_t length = length_choice % (available + 1);
    fuzz::HeapBytes octets(capacity, 0xA5);

    const std::uint32_t result = convert_bytestr_to_hexarray(text.c_str(), length, octets.data(), capacity, debug);

    FUZZ_CHECK(result == std::min(capacity, length / 2));
    FUZZ_CHECK(octets.all_from(result, 0xA5));
    // A pair of two hex digits always gives its own value, whatever came before it.
    for (std::uint32_t i = 0; i < result; ++i) {
        const int high = fuzz::hex_digit(text.c_str()[2 * i]);
        const int low = fuzz::hex_digit(text.c_str()[2 * i + 1]);
        if (high >= 0 && low >= 0)
            FUZZ_CHECK(octets[i] == (high << 4 | low));
    }
    return 0;
}
