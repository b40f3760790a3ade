// Checks that need a process of their own. The reference counter from its start: 1 on the
// first call, 254 on the 254th, 1 again on the 255th, advanced by every call whatever its
// outcome (single parts, failures, a null record, either format). Then a message whose
// second of three parts cannot be encoded, its scratch allocation made to fail through
// the linker's malloc wrapper: -1, pdu_count 0, part 1 stored, part 2's codes in text,
// part 3 never tried.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "velmora.h"

extern "C" void *__real_malloc(std::size_t size);

namespace {

int allocations = 0, fail_after = -1;  // -1: never fail
int failures = 0;
sms_message sms;

void check(bool ok, const char *what, int n) {
    if (!ok) {
        std::printf("FAILED: %s (%d)\n", what, n);
        ++failures;
    }
}

// `length` codes to 12345 with callback 678: a part of 'a', one of 'b', then 'c'.
void message(std::size_t length) {
    std::memset(&sms, 0, sizeof sms);
    std::memcpy(sms.dst_telnum, "12345", sms.dst_telnum_len = 5);
    std::memcpy(sms.telnum, "678", sms.telnum_len = 3);
    sms.dst_telnum_type = sms.telnum_type = 0x81;
    for (std::size_t i = 0; i < length; ++i)
        sms.text[i] = static_cast<char>('a' + i / 153);
    sms.text_len = static_cast<std::uint32_t>(length);
    std::memset(sms.pdus, 'Y', sizeof sms.pdus);
}

unsigned reference(int format) { return std::stoul(std::string(sms.pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16); }

}  // namespace

extern "C" void *__wrap_malloc(std::size_t size) {
    ++allocations;
    if (fail_after == 0)
        return nullptr;
    fail_after -= fail_after > 0;
    return __real_malloc(size);
}

int main() {
    for (int call = 1; call <= 255; ++call) {
        const int format = call % 2;
        const bool parts = call == 1 || call >= 254;
        message(parts ? 161 : call % 3 ? 5 : 0);
        const int rc = sms_encode_pdus(call % 7 ? &sms : nullptr, format, 0);
        if (parts)
            check(rc == 0 && sms.pdu_count == 2 && reference(format) == (call == 254 ? 254u : 1u), "reference", call);
    }
    for (const int format : {SMS_FORMAT_GSM, SMS_FORMAT_3GPP2}) {
        message(307);
        allocations = 0;
        fail_after = 1;
        const int rc = sms_encode_pdus(&sms, format, 0);
        fail_after = -1;
        check(rc == -1 && allocations == 2 && sms.pdu_count == 0, "-1 at part 2, part 3 not tried", format);
        check(std::string(sms.text, 154) == std::string(153, 'b') + '\0' && sms.text_len == 153, "text", format);
        check(sms.pdus[1].pdu[0] == 'Y' && sms.pdus[2].pdu[0] == 'Y', "later slots untouched", format);
        sms_message part = sms;
        std::memset(part.text, 'a', 153);
        char pdu[SMS_PDU_CAPACITY];
        const int n = (format ? sms_encode_3gpp2_pdu : sms_encode_pdu)(&part, pdu, sizeof pdu, 1, 3, reference(format), 0);
        check(n > 0 && sms.pdus[0].pdu_len == static_cast<std::uint32_t>(n) && !std::memcmp(pdu, sms.pdus[0].pdu, n),
              "slot 0 holds part 1", format);
    }
    std::printf("fresh process: %s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
