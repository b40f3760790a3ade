// SPDX-License-Identifier: Apache-2.0
// velmora_encode and velmora_encode_data over random options and text: the input is a line
// of options as tests/vectors/sms_encode.tsv writes them, then the text (or, with "data",
// the octets). What succeeds reads back and agrees with velmora_count; a failure writes
// no PDU (tests/sms_encode_support.h).
#include <cstdlib>

#include "../tests/sms_encode_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *input, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(input), size);
    const std::size_t line_end = std::min(bytes.find('\n'), size);
    const round_trip::Options options{std::string(bytes.substr(0, line_end))};
    const std::string payload(bytes.substr(std::min(line_end + 1, size)));
    const round_trip::Encoded encoded = round_trip::encode(options, payload);
    if (!encoded.problem.empty()) {
        std::fprintf(stderr, "sms_encode: %s\n", encoded.problem.c_str());
        std::abort();
    }
    return 0;
}
