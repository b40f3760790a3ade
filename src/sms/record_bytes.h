// SPDX-License-Identifier: Apache-2.0
// Clearing and copying the few hundred bytes of a record's fields in steps of 64: plain
// vector moves. One memset or memcpy of that size compiles to `rep stos`/`rep movs`, whose
// start costs more than the moves and whose stores the loads right after must wait for.
#pragma once

#include <cstddef>
#include <cstring>

namespace velmora::sms {

inline void zero_bytes(void *to, std::size_t size) {
    auto *out = static_cast<unsigned char *>(to);
    for (; size >= 64; size -= 64, out += 64)
        std::memset(out, 0, 64);
    std::memset(out, 0, size);
}

inline void copy_bytes(void *to, const void *from, std::size_t size) {
    auto *out = static_cast<unsigned char *>(to);
    const auto *in = static_cast<const unsigned char *>(from);
    for (; size >= 64; size -= 64, out += 64, in += 64)
        std::memcpy(out, in, 64);
    std::memcpy(out, in, size);
}

}  // namespace velmora::sms
