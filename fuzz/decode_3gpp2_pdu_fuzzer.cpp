// sms_decode_3gpp2_pdu over arbitrary text, with the text's length and other lengths.
#include "decoder_checks.h"

namespace {

fuzz::UserData user_data_of(std::uint32_t encoding) {
    switch (encoding) {
    case 2: case 3: case 9: return fuzz::UserData::Septets;
    case 0: case 8: return fuzz::UserData::Octets;
    case 4: return fuzz::UserData::Ucs2;
    default: return fuzz::UserData::Refused;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    sms_message sms{};
    FUZZ_CHECK(sms_decode_3gpp2_pdu(nullptr, 2, &sms, 0) == -1);
    FUZZ_CHECK(sms_decode_3gpp2_pdu("00", 2, nullptr, 0) == -1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fuzz::HeapText pdu({reinterpret_cast<const char *>(data), size});
    const auto sz = static_cast<std::uint32_t>(size);

    sms_message first = fuzz::garbage_record();
    const int rc = sms_decode_3gpp2_pdu(pdu.c_str(), sz, &first, 0);
    if (sz == 0) {
        const sms_message untouched = fuzz::garbage_record();
        FUZZ_CHECK(rc == -1 && fuzz::same_record(first, untouched));
        return 0;
    }
    fuzz::check_decoded(first, rc, user_data_of(first.data_coding));

    // Tracing changes nothing in the record.
    sms_message second{};
    FUZZ_CHECK(sms_decode_3gpp2_pdu(pdu.c_str(), sz, &second, 1) == rc);
    FUZZ_CHECK(fuzz::same_record(first, second));

    // A length in octets rather than characters, and one far beyond the text: the
    // minimum-length test may refuse, nothing may read past the NUL.
    for (std::uint32_t other : {sz / 2 + 1, 0xFFFFFFFFu}) {
        sms_message third = fuzz::garbage_record();
        const int rc3 = sms_decode_3gpp2_pdu(pdu.c_str(), other, &third, 0);
        fuzz::check_decoded(third, rc3, user_data_of(third.data_coding));
    }
    return 0;
}
