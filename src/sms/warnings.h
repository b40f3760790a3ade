// SPDX-License-Identifier: Apache-2.0
// What a readable message had wrong: each warning's name and the failure it stands for
// under VELMORA_STRICT.
#pragma once

#include <cstddef>
#include <cstdint>

#include "velmora/sms.h"

namespace velmora::sms {

// The first warning of a decoding, and all of them.
struct Warnings {
    std::uint32_t bits = 0;
    std::uint32_t first = 0;
    std::uint32_t offset = 0;
    const char *field = "";

    void add(std::uint32_t warning, const char *at_field, std::size_t at_offset) {
        if (bits == 0)
            first = warning, field = at_field, offset = static_cast<std::uint32_t>(at_offset);
        bits |= warning;
    }
};

// The status a warning fails as under VELMORA_STRICT.
velmora_status warning_failure(std::uint32_t warning);

}  // namespace velmora::sms
