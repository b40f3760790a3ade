// encode_ascii_to_gsm0338 over any text (NULs included), lengths up to 2047 and any
// capacity; the output area is exactly the capacity given.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

const fuzz::Representable *representable;

struct Expected {
    std::uint32_t codes;       // codes stored
    std::uint32_t characters;  // characters whose codes are all stored
};

// One code per character, two for an extension character; at most 1837 codes are
// produced, then the result is cut to the capacity without leaving a trailing ESC.
Expected expected_codes(std::string_view text, std::uint32_t capacity) {
    std::vector<bool> escape_at;  // whether each produced code is 0x1B
    std::vector<std::uint32_t> characters_at;  // characters complete after each code
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t width = fuzz::is_escaped(c) ? 2 : 1;
        if (escape_at.size() + width > 1837)
            break;
        escape_at.push_back(width == 2 || c == 0x1B);
        if (width == 2) {
            escape_at.push_back(false);
            characters_at.push_back(static_cast<std::uint32_t>(i));
        }
        characters_at.push_back(static_cast<std::uint32_t>(i + 1));
    }
    auto codes = static_cast<std::uint32_t>(escape_at.size());
    if (codes > capacity) {
        codes = capacity;
        if (escape_at[capacity - 1])
            --codes;
    }
    return {codes, codes == 0 ? 0 : characters_at[codes - 1]};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    representable = new fuzz::Representable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::InputReader input(data, size);
    const std::uint32_t capacity = input.below_or(4000);
    const std::uint8_t flags = input.u8();
    std::string chars(input.rest());
    if (flags & 1)  // alphabet characters only, so that the round trip applies
        for (char &c : chars)
            c = representable->pick(static_cast<unsigned char>(c));
    const auto length = static_cast<std::uint32_t>(chars.size());
    const fuzz::HeapText text(chars);
    fuzz::HeapBytes codes(capacity, 0xA5);

    const std::uint32_t result = encode_ascii_to_gsm0338(text.c_str(), length, codes.data(), capacity, flags & 2);

    if (capacity <= 917 || length > 1836) {
        FUZZ_CHECK(result == 0 && codes.all_from(0, 0xA5));
        return 0;
    }
    const Expected expected = expected_codes(chars, capacity);
    FUZZ_CHECK(result == expected.codes);
    FUZZ_CHECK(codes.all_from(result, 0));
    if (!representable->all(chars))
        return 0;

    // Decoded back in pieces of at most 161 codes, never splitting an escape pair.
    std::string decoded;
    for (std::uint32_t at = 0; at < result;) {
        std::uint32_t piece = std::min<std::uint32_t>(161, result - at);
        if (codes[at + piece - 1] == 0x1B)
            --piece;
        char out[161];
        const std::uint32_t n = decode_gsm0338_to_ascii(codes.data() + at, piece, out, sizeof out);
        decoded.append(out, n);
        at += piece;
    }
    FUZZ_CHECK(decoded == std::string_view(chars).substr(0, expected.characters));
    return 0;
}
