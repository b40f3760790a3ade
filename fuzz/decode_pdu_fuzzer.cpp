// SPDX-License-Identifier: Apache-2.0
// sms_decode_pdu over any text, with its length and with 0 (the length is not read).
#include "fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::check_decoder(sms_decode_pdu, true, data, size, {static_cast<std::uint32_t>(size), 0});
    return 0;
}
