// SPDX-License-Identifier: Apache-2.0
// sms_decode_3gpp2_pdu over any text, with its length, about half of it and far beyond it.
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const auto sz = static_cast<std::uint32_t>(size);
    fuzz::check_decoder(sms_decode_3gpp2_pdu, false, data, size, {sz, sz / 2 + 1, 0xFFFFFFFFu});
    return 0;
}
