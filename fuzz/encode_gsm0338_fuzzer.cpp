// encode_ascii_to_gsm0338 over any text (NULs included), lengths up to 2047, any capacity,
// into an area of exactly that capacity: one code per character, two for an extension
// character, at most 1837, cut at the capacity without a trailing ESC, zeros after them.
// Decoded back in pieces that never split a pair, alphabet characters come back.
#include <vector>

#include "fuzz.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t capacity = input.take(2) % 4001, flags = input.take(1);
    std::string chars(input.rest());
    if (flags & 1)  // alphabet characters only, for the round trip
        for (char &c : chars)
            c = fuzz::alphabet()[static_cast<unsigned char>(c) % 127];
    const auto length = static_cast<std::uint32_t>(chars.size());
    const fuzz::Exact text(chars, false), codes(capacity, 0xA5);
    const std::uint32_t result = encode_ascii_to_gsm0338(text.c(), length, codes.u(), capacity, flags & 2);
    if (capacity <= 917 || length > 1836) {
        FUZZ_CHECK(result == 0 && codes.all_from(0, 0xA5));
        return 0;
    }
    std::vector<bool> escape;           // whether each code the characters give is ESC
    std::vector<std::uint32_t> whole;   // characters complete after each code
    for (std::uint32_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(chars[i]);
        if (escape.size() + 1 + fuzz::is_escaped(c) > 1837)
            break;
        if (fuzz::is_escaped(c))
            escape.push_back(true), whole.push_back(i);
        escape.push_back(c == 0x1B), whole.push_back(i + 1);
    }
    auto expected = static_cast<std::uint32_t>(escape.size());
    if (expected > capacity)
        expected = capacity - escape[capacity - 1];
    FUZZ_CHECK(result == expected && codes.all_from(result, 0));
    if (!fuzz::in_alphabet(chars))
        return 0;
    std::string decoded;
    for (std::uint32_t at = 0, piece; at < result; at += piece) {
        piece = std::min<std::uint32_t>(161, result - at);
        piece -= codes[at + piece - 1] == 0x1B;
        char out[161];
        decoded.append(out, decode_gsm0338_to_ascii(codes.u() + at, piece, out, sizeof out));
    }
    FUZZ_CHECK(decoded == std::string_view(chars).substr(0, result ? whole[result - 1] : 0));
    return 0;
}
