// sms_decode_pdu over any text: a sound record; the length argument and tracing change nothing.
#include "fuzz.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fuzz::Exact pdu({reinterpret_cast<const char *>(data), size}, true);
    sms_message first = fuzz::garbage_record(), second{};
    const int rc = sms_decode_pdu(pdu.c(), static_cast<std::uint32_t>(size), &first, 0);
    fuzz::check_decoded(first, rc, fuzz::user_data(true, first.data_coding));
    FUZZ_CHECK(sms_decode_pdu(pdu.c(), 0, &second, 1) == rc && fuzz::same_record(first, second));
    return 0;
}
