// The first sms_encode_pdus call after loading hands out reference 1, the 254th 254,
// the 255th 1 again; single-part calls advance the counter as well.
#include <cstdio>
#include <cstring>
#include <string>

#include "velmora.h"

namespace {

sms_message sms;
int failures = 0;

void check(bool ok, const char *what, int call) {
    if (!ok) {
        std::printf("FAILED: %s (call %d)\n", what, call);
        ++failures;
    }
}

// The reference octet of a concatenated SMS-SUBMIT to 12345: after SCA, first octet,
// TP-MR, TP-DA (4 octets), TP-PID, TP-DCS, TP-UDL, UDHL, IEI and IEDL.
int encode_reference(int call) {
    std::memset(sms.text, 'm', 161);
    sms.text_len = 161;
    check(sms_encode_pdus(&sms, SMS_FORMAT_GSM, 0) == 0 && sms.pdu_count == 2, "two parts", call);
    const std::string first(sms.pdus[0].pdu), second(sms.pdus[1].pdu);
    check(first.substr(22, 6) == "050003" && first.substr(28, 2) == second.substr(28, 2), "one reference", call);
    return static_cast<int>(std::stoul(first.substr(28, 2), nullptr, 16));
}

}  // namespace

int main() {
    std::memcpy(sms.dst_telnum, "12345", 5);
    sms.dst_telnum_len = 5;
    sms.dst_telnum_type = 0x81;
    std::memcpy(sms.telnum, "678", 3);
    sms.telnum_len = 3;  // 3GPP2 callback
    check(encode_reference(1) == 1, "first reference is 1", 1);
    for (int call = 2; call < 254; ++call) {
        sms_write("x", &sms);
        check(sms_encode_pdus(&sms, call % 2, 0) == 0 && sms.pdu_count == 1, "single part", call);
    }
    check(encode_reference(254) == 254, "254th reference is 254", 254);
    check(encode_reference(255) == 1, "255th reference is 1", 255);
    std::printf("first reference: %s\n", failures == 0 ? "passed" : "FAILED");
    return failures == 0 ? 0 : 1;
}
