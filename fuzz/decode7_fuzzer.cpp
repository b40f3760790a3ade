// SPDX-License-Identifier: Apache-2.0
// decode7 over any octets, counts up to 2^32 - 1, fill 0-6 and any capacity; the input holds
// exactly the octets that the count and fill need. Code k is stream bits fill + 7k onwards.
#include "codec/septets.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t fill = input.take(1) % 7, count_choice = input.take(4), capacity = input.take(2) % 2401;
    // Mostly counts the octets can back; with the top bit set, any count (to be refused).
    const std::uint32_t count = count_choice & 0x80000000u ? count_choice : count_choice % 2048;
    const bool fits = 8 * std::uint64_t{count} / 7 <= capacity;
    std::string octets(input.rest());
    octets.resize(fits ? velmora::packed_size(count, fill) : std::min<std::size_t>(octets.size(), 16), '\0');
    const fuzz::Exact packed(octets, false), codes(capacity, 0xA5);
    FUZZ_CHECK(decode7(packed.u(), count, codes.u(), capacity, fill) == (fits ? 0 : -1));
    FUZZ_CHECK(codes.all_from(fits ? count : 0, 0xA5));
    for (std::uint64_t k = 0; fits && k < count; ++k) {
        unsigned code = 0;
        for (std::uint64_t b = fill + 7 * k; b < fill + 7 * k + 7; ++b)
            code |= (packed[b / 8] >> b % 8 & 1u) << (b - fill - 7 * k);
        FUZZ_CHECK(codes[k] == code);
    }
    return 0;
}
