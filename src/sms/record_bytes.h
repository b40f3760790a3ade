// SPDX-License-Identifier: Apache-2.0
// Clearing and copying the few hundred bytes of a record's fields or user data: plain
// vector moves. One memset or memcpy of that size compiles to `rep stos`/`rep movs`, whose
// start costs more than the moves and whose stores the loads right after must wait for; in
// WebAssembly a memory.fill, which V8 runs as a call.
#pragma once

#include <cstddef>
#include <cstring>

namespace velmora::sms {

inline void zero_bytes(void *to, std::size_t size) {
    auto *out = static_cast<unsigned char *>(to);
    for (; size >= 64; size -= 64, out += 64) {
        std::memset(out, 0, 64);
        __asm__("" : "+r"(out));  // the stride hidden: LLVM would join the chunks into one memset
    }
    std::memset(out, 0, size);
}

// Steps of 16, the last one ending at the end, over bytes already copied; below 16 two
// steps of 8 or 4 the same way, or single bytes: a memcpy of a size not known is a call (a
// memory.copy in WebAssembly).
inline void copy_bytes(void *to, const void *from, std::size_t size) {
    auto *out = static_cast<unsigned char *>(to);
    const auto *in = static_cast<const unsigned char *>(from);
    const auto ends = [&](std::size_t step) {
        std::memcpy(out, in, step);
        std::memcpy(out + size - step, in + size - step, step);
    };
    if (size >= 16) {
        for (std::size_t at = 0; at + 16 < size; at += 16)
            std::memcpy(out + at, in + at, 16);
        std::memcpy(out + size - 16, in + size - 16, 16);
    } else if (size >= 8) {
        ends(8);
    } else if (size >= 4) {
        ends(4);
    } else if (size != 0) {
        out[0] = in[0], out[size / 2] = in[size / 2], out[size - 1] = in[size - 1];
    }
}

}  // namespace velmora::sms
