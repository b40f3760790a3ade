// Helpers shared by the libFuzzer targets: exactly sized heap copies of the input, a
// reader for the arguments carried in front of the payload, and property checks that
// abort (and so report a finding) when they fail.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "velmora.h"

// A failed property is a finding like a crash: libFuzzer stores the input.
#define FUZZ_CHECK(condition)                                                                 \
    do {                                                                                      \
        if (!(condition)) {                                                                   \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                     \
        }                                                                                     \
    } while (0)

namespace fuzz {

// Text in a heap block of exactly size + 1 bytes, the NUL last: a read past the NUL
// lands outside the block and AddressSanitizer reports it.
class HeapText {
public:
    explicit HeapText(std::string_view text) : bytes_(new char[text.size() + 1]) {
        if (!text.empty())
            std::memcpy(bytes_.get(), text.data(), text.size());
        bytes_[text.size()] = '\0';
    }
    const char *c_str() const { return bytes_.get(); }

private:
    std::unique_ptr<char[]> bytes_;
};

// Binary data (octets, GSM codes, an output area) in a heap block of exactly `size`
// bytes; a trailing NUL would hide a one-byte over-read, so there is none.
class HeapBytes {
public:
    explicit HeapBytes(std::size_t size, unsigned char fill = 0) : size_(size), bytes_(new unsigned char[size]) {
        std::memset(bytes_.get(), fill, size);
    }
    HeapBytes(const unsigned char *data, std::size_t size) : HeapBytes(size) {
        if (size != 0)
            std::memcpy(bytes_.get(), data, size);
    }
    unsigned char *data() { return bytes_.get(); }
    const unsigned char *data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    unsigned char &operator[](std::size_t i) { return bytes_[i]; }
    unsigned char operator[](std::size_t i) const { return bytes_[i]; }
    char *chars() { return reinterpret_cast<char *>(bytes_.get()); }

    // Every byte from `from` on equals `value`.
    bool all_from(std::size_t from, unsigned char value) const {
        for (std::size_t i = from; i < size_; ++i)
            if (bytes_[i] != value)
                return false;
        return true;
    }

private:
    std::size_t size_;
    std::unique_ptr<unsigned char[]> bytes_;
};

// Arguments taken from the front of the input, little-endian; the rest is the payload.
// An exhausted input reads as 0, so every input is valid.
class InputReader {
public:
    InputReader(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t u8() { return static_cast<std::uint8_t>(take(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    // A value in 0..max drawn from two bytes.
    std::uint32_t below_or(std::uint32_t max) { return u16() % (max + 1); }

    std::string_view bytes(std::size_t count) {
        count = count < size_ - used_ ? count : size_ - used_;
        std::string_view view(reinterpret_cast<const char *>(data_ + used_), count);
        used_ += count;
        return view;
    }
    std::string_view rest() { return bytes(size_ - used_); }

private:
    std::uint64_t take(int count) {
        std::uint64_t value = 0;
        for (int i = 0; i < count && used_ < size_; ++i)
            value |= std::uint64_t{data_[used_++]} << (8 * i);
        return value;
    }

    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// Trace lines go to stdout; the targets turn tracing on for some inputs to cover the
// trace paths, and libFuzzer reports on stderr.
inline void silence_stdout() { FUZZ_CHECK(std::freopen("/dev/null", "w", stdout) != nullptr); }

inline bool is_upper_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

inline int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The octet at octet index `i` of upper-case hexadecimal text.
inline unsigned octet_at(std::string_view hex, std::size_t i) {
    return static_cast<unsigned>(hex_digit(hex[2 * i]) << 4 | hex_digit(hex[2 * i + 1]));
}

inline std::size_t bounded_length(const char *text, std::size_t capacity) {
    std::size_t n = 0;
    while (n < capacity && text[n] != '\0')
        ++n;
    return n;
}

// Characters that encode as ESC followed by an extension-table code.
inline bool is_escaped(unsigned char c) {
    static constexpr unsigned char kEscaped[] = {0x80, 0x0C, '[', '\\', ']', '^', '{', '|', '}', '~', 0x0D};
    for (unsigned char e : kEscaped)
        if (c == e)
            return true;
    return false;
}

// The 8-bit characters that survive text -> GSM codes -> text unchanged: those that
// some code or escape pair decodes to. There are 127 of them.
class Representable {
public:
    Representable() {
        for (unsigned code = 0; code < 128; ++code) {
            if (code == 0x1B)
                continue;
            unsigned char one[1] = {static_cast<unsigned char>(code)};
            add(one, 1);
            unsigned char pair[2] = {0x1B, static_cast<unsigned char>(code)};
            add(pair, 2);
        }
        FUZZ_CHECK(size_ == 127);
    }
    bool contains(unsigned char c) const { return member_[c]; }
    bool all(std::string_view text) const {
        for (char c : text)
            if (!contains(static_cast<unsigned char>(c)))
                return false;
        return true;
    }
    // Maps any byte onto a representable character.
    char pick(unsigned char byte) const { return static_cast<char>(list_[byte % size_]); }

private:
    void add(const unsigned char *codes, std::uint32_t count) {
        char out[161];
        if (decode_gsm0338_to_ascii(codes, count, out, sizeof out) != 1)
            return;
        const auto c = static_cast<unsigned char>(out[0]);
        if (!member_[c]) {
            member_[c] = true;
            list_[size_++] = c;
        }
    }

    std::array<bool, 256> member_{};
    std::array<unsigned char, 256> list_{};
    std::size_t size_ = 0;
};

}  // namespace fuzz
