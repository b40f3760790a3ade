// SPDX-License-Identifier: Apache-2.0
// convert_bytestr_to_hexarray: any text, any length up to the text's own, any capacity; the
// values themselves are checked against libc's sscanf by tests/vectors_test.cpp.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 601, length_choice = input.take(2), debug = input.take(1) & 1;
    const fuzz::Exact text(input.rest(), true), octets(capacity, 0xA5);
    const auto length = static_cast<std::uint32_t>(length_choice % (std::strlen(text.c()) + 1));
    const std::uint32_t result = convert_bytestr_to_hexarray(text.c(), length, octets.u(), capacity, debug);
    FUZZ_CHECK(result == std::min(capacity, length / 2) && octets.all_from(result, 0xA5));
    return 0;
}
