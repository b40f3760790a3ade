// SPDX-License-Identifier: Apache-2.0
// What the tests of the public C APIs share: vector and golden files, guarded output
// buffers. They include nothing but include/velmora.h and include/velmora/sms.h.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "velmora.h"
#include "velmora/sms.h"

namespace pt {

inline std::string read_file(const std::string &name) {
    std::ifstream in(std::string(VELMORA_TEST_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The whole output against tests/golden/NAME; with VELMORA_UPDATE_GOLDEN=1 in the
// environment the golden file is rewritten instead.
inline void expect_golden(const std::string &name, const std::string &output) {
    const char *update = std::getenv("VELMORA_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream(std::string(VELMORA_TEST_DIR) + "/golden/" + name, std::ios::binary) << output;
        return;
    }
    EXPECT_EQ(read_file("golden/" + name), output) << "tests/golden/" << name << " (VELMORA_UPDATE_GOLDEN=1 rewrites it)";
}

inline std::string hex(const void *p, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<const unsigned char *>(p)[i];
        out += {"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
    }
    return out;
}

inline std::string octets(const std::string &hex_digits) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex_digits.size(); i += 2)
        out += static_cast<char>(std::stoi(hex_digits.substr(i, 2), nullptr, 16));
    return out;
}

// A velmora_message, every byte `fill` after velmora_message_init.
inline std::unique_ptr<velmora_message> message(int fill = 0) {
    auto m = std::make_unique<velmora_message>();
    std::memset(m.get(), fill, sizeof *m);
    velmora_message_init(m.get());
    return m;
}

// An output buffer of `capacity` bytes and guard bytes behind it, all `kFill`.
struct Guarded {
    static constexpr char kFill = '\xEE';
    static constexpr std::size_t kGuard = 16;
    std::string bytes;
    explicit Guarded(std::size_t capacity) : bytes(capacity + kGuard, kFill) {}
    char *c() { return bytes.data(); }
    unsigned char *u() { return reinterpret_cast<unsigned char *>(bytes.data()); }
    bool guard_kept() const { return bytes.substr(bytes.size() - kGuard) == std::string(kGuard, kFill); }
};

}  // namespace pt
