// What the libFuzzer targets share: inputs placed in heap blocks of their exact size,
// arguments read from the front of an input, and checks that abort (a finding) on failure.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "velmora.h"

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Bytes at the end of a heap block of exactly their size (text: with its NUL), so that
// AddressSanitizer reports a read past them; or an output area of `size` bytes `fill`.
class Exact {
public:
    Exact(std::string_view bytes, bool nul) : size_(bytes.size()), p_(new unsigned char[bytes.size() + nul]) {
        std::copy(bytes.begin(), bytes.end(), p_.get());
        if (nul)
            p_[size_] = 0;
    }
    Exact(std::size_t size, unsigned char fill) : Exact(std::string(size, static_cast<char>(fill)), false) {}
    unsigned char *u() const { return p_.get(); }
    char *c() const { return reinterpret_cast<char *>(p_.get()); }
    std::size_t size() const { return size_; }
    unsigned char operator[](std::size_t i) const { return p_[i]; }
    bool all_from(std::size_t from, unsigned char value) const {
        return std::all_of(p_.get() + std::min(from, size_), p_.get() + size_, [=](unsigned char b) { return b == value; });
    }

private:
    std::size_t size_;
    std::unique_ptr<unsigned char[]> p_;
};

// Arguments from the front of the input, little-endian; an exhausted input reads as 0.
struct Input {
    const std::uint8_t *data;
    std::size_t size;
    std::uint32_t take(int octets) {
        std::uint32_t value = 0;
        for (int i = 0; i < octets && size > 0; ++i, --size)
            value |= std::uint32_t{*data++} << 8 * i;
        return value;
    }
    std::string_view bytes(std::size_t n) {
        const std::string_view view(reinterpret_cast<const char *>(data), std::min(n, size));
        data += view.size();
        size -= view.size();
        return view;
    }
    std::string_view rest() { return bytes(size); }
};

// Trace lines go to stdout; libFuzzer reports on stderr.
inline void silence_stdout() { FUZZ_CHECK(std::freopen("/dev/null", "w", stdout) != nullptr); }

inline int hex_digit(char c) {
    const char *digits = "0123456789ABCDEF0123456789abcdef", *at = std::strchr(digits, c);
    return c != '\0' && at ? static_cast<int>(at - digits) % 16 : -1;
}

// Characters written as ESC and an extension code.
inline bool is_escaped(unsigned char c) { return c && std::strchr("\x80\x0C[\\]^{|}~\x0D", c); }

// The 127 characters that some code or ESC pair decodes to: those survive text -> codes -> text.
struct Representable {
    bool member[256] = {};
    char list[256] = {};
    std::size_t count = 0;
    Representable() {
        for (unsigned code = 0; code < 128; ++code)
            for (const unsigned char codes[2] = {0x1B, static_cast<unsigned char>(code)}; const int n : {1, 2}) {
                char out[161];
                if (code == 0x1B || decode_gsm0338_to_ascii(codes + 2 - n, n, out, sizeof out) != 1)
                    continue;
                list[count] = out[0];
                count += !member[static_cast<unsigned char>(out[0])];
                member[static_cast<unsigned char>(out[0])] = true;
            }
        FUZZ_CHECK(count == 127);
    }
    bool all(std::string_view text) const {
        return std::all_of(text.begin(), text.end(), [this](char c) { return member[static_cast<unsigned char>(c)]; });
    }
    char pick(unsigned char byte) const { return list[byte % count]; }
};

enum class UserData { Septets, Octets, Ucs2, Refused };

inline UserData user_data(bool gsm, std::uint32_t coding) {
    if (gsm)
        return coding == 0 ? UserData::Septets : coding == 4 ? UserData::Octets : coding == 8 ? UserData::Ucs2 : UserData::Refused;
    return coding == 2 || coding == 3 || coding == 9 ? UserData::Septets
           : coding == 0 || coding == 8              ? UserData::Octets
           : coding == 4                             ? UserData::Ucs2
                                                     : UserData::Refused;
}

// A decoder clears every byte of the record first (padding too), or leaves it alone.
inline sms_message garbage_record() {
    sms_message sms;
    std::memset(&sms, 0xA5, sizeof sms);
    return sms;
}

inline bool same_record(const sms_message &a, const sms_message &b) { return std::memcmp(&a, &b, sizeof a) == 0; }

inline bool zero_from(const char *bytes, std::size_t from, std::size_t size) {
    return std::all_of(bytes + from, bytes + size, [](char b) { return b == '\0'; });
}

// Whatever the text: members no decoder writes stay clear, the text members end in a NUL,
// text_len stays within what the coding allows and the rest of the text is clear.
inline void check_decoded(const sms_message &sms, int rc, UserData coding) {
    FUZZ_CHECK(rc == 0 || rc == -1);
    FUZZ_CHECK(sms.reserved == 0 && sms.dst_telnum_type == 0 && sms.dst_telnum_len == 0 && sms.pdu_count == 0);
    FUZZ_CHECK(zero_from(sms.dst_telnum, 0, sizeof sms.dst_telnum));
    FUZZ_CHECK(zero_from(reinterpret_cast<const char *>(sms.pdus), 0, sizeof sms.pdus));
    FUZZ_CHECK(strnlen(sms.telnum, sizeof sms.telnum) <= 24 && strnlen(sms.date_time, sizeof sms.date_time) < 20);
    FUZZ_CHECK(strnlen(sms.date_time_raw, sizeof sms.date_time_raw) <= 12 && strnlen(sms.timezone, 3) <= 2);
    const std::uint32_t len = sms.text_len;
    if (rc != 0) {
        FUZZ_CHECK(len == 0 && zero_from(sms.text, 1, sizeof sms.text));
    } else if (coding == UserData::Septets) {  // no GSM code decodes to NUL
        FUZZ_CHECK(len >= 1 && len <= 161 && strnlen(sms.text, len) == len && zero_from(sms.text, len, sizeof sms.text));
    } else if (coding == UserData::Octets) {
        FUZZ_CHECK(len <= sizeof sms.text && zero_from(sms.text, len, sizeof sms.text));
    } else {
        FUZZ_CHECK(coding == UserData::Ucs2 && len >= 1 && 2 * len <= sizeof sms.text);
        FUZZ_CHECK(zero_from(sms.text, 2 * len + 1, sizeof sms.text));
    }
}

}  // namespace fuzz
