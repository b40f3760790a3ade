// decode_gsm0338_to_ascii over any bytes as codes (0x80 and above included) and any
// capacity; the codes sit in an area of exactly their count.
#include <algorithm>

#include "fuzz_support.h"

namespace {

const fuzz::Representable *representable;

// Characters produced: one per code or escape pair, starting below position 161.
std::uint32_t expected_characters(const fuzz::HeapBytes &codes) {
    std::uint32_t i = 0, characters = 0;
    while (i < codes.size() && i <= 160) {
        if (codes[i] == 0x1B)
            ++i;
        ++i;
        ++characters;
    }
    return characters;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    representable = new fuzz::Representable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint32_t capacity = input.below_or(400);
    const std::string_view payload = input.rest();
    const fuzz::HeapBytes codes(reinterpret_cast<const unsigned char *>(payload.data()), payload.size());
    const auto count = static_cast<std::uint32_t>(codes.size());
    fuzz::HeapBytes text(capacity, 0xA5);

    const std::uint32_t result = decode_gsm0338_to_ascii(codes.data(), count, text.chars(), capacity);

    if (capacity <= 160) {
        FUZZ_CHECK(result == 0 && text.all_from(0, 0xA5));
        return 0;
    }
    FUZZ_CHECK(result == expected_characters(codes));
    for (std::uint32_t i = 0; i < result; ++i)
        FUZZ_CHECK(text[i] != 0);
    FUZZ_CHECK(text.all_from(result, 0));

    // Characters of the alphabet encode to codes that decode to the same characters.
    const std::string_view decoded(text.chars(), result);
    if (!representable->all(decoded))
        return 0;
    unsigned char recoded[918];
    const std::uint32_t recoded_count = encode_ascii_to_gsm0338(decoded.data(), result, recoded, sizeof recoded, 0);
    FUZZ_CHECK(recoded_count >= result && recoded_count <= 2 * result);
    if (recoded_count > 161)
        return 0;
    char again[161];
    FUZZ_CHECK(decode_gsm0338_to_ascii(recoded, recoded_count, again, sizeof again) == result);
    FUZZ_CHECK(std::memcmp(again, decoded.data(), result) == 0);
    return 0;
}
