// sms_decode_3gpp2_pdu over any text, with the text's length and others: a sound record,
// sz 0 refused untouched, tracing changing nothing, no read past the NUL for any sz.
#include "fuzz.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fuzz::Exact pdu({reinterpret_cast<const char *>(data), size}, true);
    const auto sz = static_cast<std::uint32_t>(size);
    for (const std::uint32_t length : {sz, sz / 2 + 1, 0xFFFFFFFFu}) {
        sms_message first = fuzz::garbage_record(), second{};
        const int rc = sms_decode_3gpp2_pdu(pdu.c(), length, &first, 0);
        if (length == 0) {
            FUZZ_CHECK(rc == -1 && fuzz::same_record(first, fuzz::garbage_record()));
            continue;
        }
        fuzz::check_decoded(first, rc, fuzz::user_data(false, first.data_coding));
        FUZZ_CHECK(sms_decode_3gpp2_pdu(pdu.c(), length, &second, 1) == rc && fuzz::same_record(first, second));
    }
    return 0;
}
