// decode7 over any octets, counts up to 2^32 - 1, fill 0-6, any capacity; the input
// holds exactly the octets that the count and fill need. Packed again, the codes give
// the same octets' codes.
#include "codec/septets.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t fill = input.take(1) % 7, count_choice = input.take(4), capacity = input.take(2) % 2401;
    // Mostly counts the octets can back; with the top bit set, any count (to be refused).
    const std::uint32_t count = count_choice & 0x80000000u ? count_choice : count_choice % 2048;
    const bool fits = 8 * std::uint64_t{count} / 7 <= capacity;
    const std::string_view payload = input.rest();
    const std::size_t needed = fits ? velmora::packed_size(count, fill) : std::min<std::size_t>(payload.size(), 16);
    const fuzz::Exact packed(std::string(payload.substr(0, needed)).append(needed - std::min(needed, payload.size()), '\0'), false);
    const fuzz::Exact codes(capacity, 0xA5), again(capacity, 0xA5);
    const int result = decode7(packed.u(), count, codes.u(), capacity, fill);
    FUZZ_CHECK(result == (fits ? 0 : -1) && codes.all_from(fits ? count : 0, 0xA5));
    for (std::uint64_t k = 0; fits && k < count; ++k) {  // code k: stream bits fill + 7k .. fill + 7k + 6
        unsigned code = 0;
        for (std::uint64_t b = fill + 7 * k; b < fill + 7 * k + 7; ++b)
            code |= (packed[b / 8] >> b % 8 & 1u) << (b - fill - 7 * k);
        FUZZ_CHECK(codes[k] == code);
    }
    if (!fits || count == 0)
        return 0;
    const fuzz::Exact repacked(needed, 0);
    FUZZ_CHECK(velmora::encode7(codes.u(), count, repacked.u(), static_cast<std::uint32_t>(needed), fill, 0) == needed);
    FUZZ_CHECK(decode7(repacked.u(), count, again.u(), capacity, fill) == 0);
    FUZZ_CHECK(std::memcmp(again.u(), codes.u(), capacity) == 0);
    return 0;
}
