// sms_decode_pdu over arbitrary text: SMS-DELIVER PDUs, truncated ones, garbage.
#include "decoder_checks.h"

namespace {

fuzz::UserData user_data_of(std::uint32_t tp_dcs) {
    switch (tp_dcs) {
    case 0x00: return fuzz::UserData::Septets;
    case 0x04: return fuzz::UserData::Octets;
    case 0x08: return fuzz::UserData::Ucs2;
    default: return fuzz::UserData::Refused;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    sms_message sms{};
    FUZZ_CHECK(sms_decode_pdu(nullptr, 0, &sms, 0) == -1);
    FUZZ_CHECK(sms_decode_pdu("00", 2, nullptr, 0) == -1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const fuzz::HeapText pdu({reinterpret_cast<const char *>(data), size});

    sms_message first = fuzz::garbage_record();
    const int rc = sms_decode_pdu(pdu.c_str(), static_cast<std::uint32_t>(size), &first, 0);
    fuzz::check_decoded(first, rc, user_data_of(first.data_coding));

    // The length argument is not used and tracing changes nothing in the record.
    sms_message second{};
    FUZZ_CHECK(sms_decode_pdu(pdu.c_str(), 0, &second, 1) == rc);
    FUZZ_CHECK(fuzz::same_record(first, second));
    return 0;
}
