// A message whose second of three parts cannot be encoded (its scratch allocation
// fails): -1, pdu_count 0, part 1 stored, part 2's codes in text, part 3 never tried.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "velmora.h"

extern "C" void *__real_malloc(std::size_t size);

namespace {

int allocations = 0;
int allocations_before_failure = -1;  // -1: never fail
int failures = 0;

void check(bool ok, const char *what, int format) {
    if (!ok) {
        std::printf("FAILED: %s (format %d)\n", what, format);
        ++failures;
    }
}

}  // namespace

extern "C" void *__wrap_malloc(std::size_t size) {
    ++allocations;
    if (allocations_before_failure == 0)
        return nullptr;
    if (allocations_before_failure > 0)
        --allocations_before_failure;
    return __real_malloc(size);
}

int main() {
    static sms_message sms;
    for (const int format : {SMS_FORMAT_GSM, SMS_FORMAT_3GPP2}) {
        std::memset(&sms, 0, sizeof sms);
        std::memcpy(sms.dst_telnum, "12345", 5);
        sms.dst_telnum_len = 5;
        std::memcpy(sms.telnum, "678", 3);
        sms.telnum_len = 3;
        sms.dst_telnum_type = sms.telnum_type = 0x81;
        std::memset(sms.text, 'a', 153);
        std::memset(sms.text + 153, 'b', 153);
        sms.text[306] = 'c';
        sms.text_len = 307;
        std::memset(sms.pdus, 'Y', sizeof sms.pdus);

        allocations = 0;
        allocations_before_failure = 1;
        const int result = sms_encode_pdus(&sms, format, 0);
        allocations_before_failure = -1;

        check(result == -1, "result -1", format);
        check(allocations == 2, "part 3 is never tried", format);
        check(sms.pdu_count == 0, "pdu_count 0", format);
        check(sms.text_len == 153 && std::string(sms.text, 154) == std::string(153, 'b') + '\0',
              "text holds part 2", format);
        const std::string part1(sms.pdus[0].pdu, sms.pdus[0].pdu_len);
        const std::string header =
            format == SMS_FORMAT_GSM ? "00410005812143F50000A0050003" : "04812143F5038176F810050002A0050003";
        check(part1.compare(0, header.size(), header) == 0, "slot 0 holds part 1", format);
        check(part1.compare(header.size() + 2, 4, "0301") == 0, "part 1 of 3", format);
        check(sms.pdus[1].pdu[0] == 'Y' && sms.pdus[2].pdu[0] == 'Y', "later slots untouched", format);
    }
    std::printf("part failure: %s\n", failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
