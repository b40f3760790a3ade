// SPDX-License-Identifier: Apache-2.0
// Checks that need a process of their own. The reference counter from its start: 240 two-part
// messages on four threads get 1 to 240, one each; calls of every kind (single parts, failures,
// a null record, either format) advance it too, so the 254th gets 254 and the 255th 1. Then a
// message whose part 2 of 3 fails (its scratch allocation, through the linker's malloc
// wrapper): -1, pdu_count 0, part 1 stored, part 2's codes in the text, part 3 never tried.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "velmora.h"

extern "C" void *__real_malloc(std::size_t size);

namespace {

std::atomic<int> allocations = 0, fail_after = -1, failures = 0;  // fail_after -1: never fail

void check(bool ok, const char *what, int n) {
    if (!ok && ++failures)
        std::printf("FAILED: %s (%d)\n", what, n);
}

unsigned reference(const sms_message &sms, int format) {  // in part 1's header, to 12345 (and 678)
    return std::stoul(std::string(sms.pdus[0].pdu + (format ? 34 : 28), 2), nullptr, 16);
}

// `length` codes to 12345 with callback 678, a part of 'a', one of 'b', then 'c'.
int send(sms_message &sms, std::size_t length, int format, bool null = false) {
    std::memset(&sms, 0, sizeof sms);
    std::memcpy(sms.dst_telnum, "12345", sms.dst_telnum_len = 5);
    std::memcpy(sms.telnum, "678", sms.telnum_len = 3);
    sms.dst_telnum_type = sms.telnum_type = 0x81;
    for (std::size_t i = 0; i < length; ++i)
        sms.text[i] = static_cast<char>('a' + i / 153);
    sms.text_len = static_cast<std::uint32_t>(length);
    std::memset(sms.pdus, 'Y', sizeof sms.pdus);
    return sms_encode_pdus(null ? nullptr : &sms, format, 0);
}

}  // namespace

extern "C" void *__wrap_malloc(std::size_t size) {
    ++allocations;
    return fail_after == 0 ? nullptr : (fail_after -= fail_after > 0, __real_malloc(size));
}

int main() {
    std::vector<unsigned> seen[4];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&seen, t] {
            static thread_local sms_message sms;
            for (int call = 0; call < 60; ++call)
                seen[t].push_back(send(sms, 200, t % 2) == 0 && sms.pdu_count == 2 ? reference(sms, t % 2) : 0);
        });
    for (std::thread &thread : threads)
        thread.join();
    std::set<unsigned> references;
    for (const auto &list : seen)
        references.insert(list.begin(), list.end());
    check(references.size() == 240 && *references.begin() == 1 && *references.rbegin() == 240, "1 to 240", 240);

    static sms_message sms;
    for (int call = 241; call < 254; ++call)
        send(sms, call % 3 ? 5 : 0, call % 2, call % 7 == 0);
    check(send(sms, 161, 0) == 0 && reference(sms, 0) == 254 && send(sms, 161, 1) == 0 && reference(sms, 1) == 1,
          "254, then 1", 255);

    for (const int format : {SMS_FORMAT_GSM, SMS_FORMAT_3GPP2}) {
        allocations = 0, fail_after = 1;
        const int rc = send(sms, 307, format);
        fail_after = -1;
        check(rc == -1 && allocations == 2 && sms.pdu_count == 0, "-1 at part 2, part 3 not tried", format);
        check(std::string(sms.text, 154) == std::string(153, 'b') + '\0' && sms.text_len == 153, "text", format);
        check(sms.pdus[1].pdu[0] == 'Y' && sms.pdus[2].pdu[0] == 'Y', "later slots untouched", format);
        const std::string part_1(sms.pdus[0].pdu, sms.pdus[0].pdu_len);  // its header: "part 1 of 3"
        check(part_1.size() > 100 && part_1.compare(format ? 36 : 30, 4, "0301") == 0, "slot 0 holds part 1", format);
    }
    std::printf("fresh process: %s\n", failures ? "FAILED" : "passed");
    return failures ? 1 : 0;
}
