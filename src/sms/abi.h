// SPDX-License-Identifier: Apache-2.0
// Structs that grow: the first release's sizes, and reading and writing only what fits
// inside the `size` a caller was built with.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "velmora/sms.h"

namespace velmora::sms {

// Sizes of the first release's structs: a smaller `size` is refused. Members are only
// ever appended, so these never change.
// Structs holding pointers are smaller where pointers take 4 bytes (WebAssembly).
inline constexpr bool kPointers8 = sizeof(void *) == 8;
inline constexpr std::uint32_t kFirstErrorSize = kPointers8 ? 32 : 20;
inline constexpr std::uint32_t kFirstMessageSize = 1900;
inline constexpr std::uint32_t kFirstOptionsSize = kPointers8 ? 88 : 64;
inline constexpr std::uint32_t kFirstPduSize = 412;
inline constexpr std::uint32_t kFirstCountResultSize = 24;
inline constexpr std::uint32_t kFirstReassemblySize = kPointers8 ? 16 : 12;
inline constexpr std::uint32_t kFirstGroupSize = 64;
// The modem output reader came later: its first sizes are those of release 1.1.
inline constexpr std::uint32_t kFirstModemReaderSize = kPointers8 ? 48 : 36;
inline constexpr std::uint32_t kFirstModemEntrySize = 24;
inline constexpr std::uint32_t kFirstFieldSize = offsetof(velmora_field, meaning) + VELMORA_MEANING_CAPACITY;
static_assert(sizeof(velmora_error) >= kFirstErrorSize && sizeof(velmora_message) >= kFirstMessageSize &&
              sizeof(velmora_submit_options) >= kFirstOptionsSize && sizeof(velmora_pdu) >= kFirstPduSize &&
              sizeof(velmora_count_result) >= kFirstCountResultSize &&
              sizeof(velmora_reassembly) >= kFirstReassemblySize && sizeof(velmora_group) >= kFirstGroupSize &&
              sizeof(velmora_modem_reader) == kFirstModemReaderSize &&
              sizeof(velmora_modem_entry) >= kFirstModemEntrySize);

// Whether a caller's struct is there and at least as large as the first release's.
template <class T>
bool sized(const T *p, std::uint32_t first_size) {
    return p != nullptr && p->size >= first_size;
}

// A struct as the caller holds it: the members inside its `size` copied in over `value`
// (defaults for the rest), and out again, `size` kept.
template <class T>
void read_prefix(const T &caller, T &value) {
    std::memcpy(&value, &caller, std::min<std::size_t>(caller.size, sizeof(T)));
}
template <class T>
void write_prefix(const T &value, T &caller) {
    const std::uint32_t size = caller.size;
    std::memcpy(&caller, &value, std::min<std::size_t>(size, sizeof(T)));
    caller.size = size;
}

// Element i of a caller's array whose elements are `stride` bytes apart.
template <class T>
T &element(T *array, std::size_t i, std::uint32_t stride) {
    return *reinterpret_cast<T *>(reinterpret_cast<unsigned char *>(array) + i * stride);
}

// Writes `value` into a caller's struct of `size` bytes (sizeof the caller's struct): the
// members inside it, and `size`.
template <class T>
void init_struct(T *caller, std::size_t size, const T &value) {
    if (caller == nullptr || size < sizeof(std::uint32_t))
        return;
    std::memcpy(static_cast<void *>(caller), &value, std::min(size, sizeof(T)));
    caller->size = static_cast<std::uint32_t>(size);
}
// The same for each of `count` structs `size` bytes apart.
template <class T>
void init_structs(T *array, std::size_t count, std::size_t size, const T &value) {
    for (std::size_t i = 0; array != nullptr && i < count; ++i)
        init_struct(&element(array, i, static_cast<std::uint32_t>(size)), size, value);
}

// The error record a call reports into: the caller's (cleared), or `local` when the caller
// gave none. Nullptr when the caller's is smaller than the first release's.
velmora_error *error_record(velmora_error *error, velmora_error &local);

}  // namespace velmora::sms
