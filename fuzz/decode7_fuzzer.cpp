// decode7 over any packed octets, code counts up to 2^32 - 1, fill 0-6, any capacity;
// the input area holds exactly the octets that the count and fill need.
#include <algorithm>

#include "codec/septets.h"
#include "fuzz_support.h"

namespace {

// Code k of the packed stream: bits fill + 7k .. fill + 7k + 6, least significant first.
unsigned stream_code(const fuzz::HeapBytes &packed, std::uint64_t fill, std::uint64_t k) {
    unsigned code = 0;
    for (unsigned b = 0; b < 7; ++b) {
        const std::uint64_t bit = fill + 7 * k + b;
        code |= ((packed[bit / 8] >> (bit % 8)) & 1u) << b;
    }
    return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint32_t fill = input.u8() % 7;
    const std::uint32_t count_choice = input.u32();
    // Mostly counts that the octets can back; sometimes a huge one that must be refused.
    const std::uint32_t count = (count_choice & 0x80000000u) ? count_choice : count_choice % 2048;
    const std::uint32_t capacity = input.below_or(2400);
    const std::string_view payload = input.rest();

    const bool fits = 8 * std::uint64_t{count} / 7 <= capacity;
    const std::size_t needed = fits ? velmora::packed_size(count, fill) : std::min<std::size_t>(payload.size(), 16);
    fuzz::HeapBytes packed(needed);
    if (const std::size_t copied = std::min(needed, payload.size()); copied != 0)
        std::memcpy(packed.data(), payload.data(), copied);
    fuzz::HeapBytes codes(capacity, 0xA5);

    const int result = decode7(packed.data(), count, codes.data(), capacity, fill);

    if (!fits) {
        FUZZ_CHECK(result == -1);
        FUZZ_CHECK(codes.all_from(0, 0xA5));
        return 0;
    }
    FUZZ_CHECK(result == 0);
    FUZZ_CHECK(codes.all_from(count, 0xA5));
    for (std::uint32_t k = 0; k < count; ++k)
        FUZZ_CHECK(codes[k] == stream_code(packed, fill, k));

    // Packing the codes again with the same fill and unpacking gives the same codes.
    if (count == 0)
        return 0;
    fuzz::HeapBytes repacked(needed);
    FUZZ_CHECK(velmora::encode7(codes.data(), count, repacked.data(), static_cast<std::uint32_t>(needed), fill, 0) ==
               needed);
    fuzz::HeapBytes again(capacity, 0xA5);
    FUZZ_CHECK(decode7(repacked.data(), count, again.data(), capacity, fill) == 0);
    FUZZ_CHECK(std::memcmp(again.data(), codes.data(), capacity) == 0);
    return 0;
}
