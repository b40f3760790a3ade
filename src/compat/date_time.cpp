// SPDX-License-Identifier: Apache-2.0
// decode_datetime and decode_datetime_3gpp2: time stamps into the record's text members.
#include <cstring>

#include "codec/semi_octets.h"
#include "velmora.h"

namespace velmora::compat {
namespace {

// "DD/MM/YY - hh:mm:ss" from the twelve digits YYMMDDhhmmss.
void put_date_time(const char *raw, sms_message &sms) {
    const char *c = raw;
    const char date_time[] = {c[4], c[5], '/', c[2], c[3], '/', c[0], c[1], ' ', '-', ' ',
                              c[6], c[7], ':', c[8], c[9], ':', c[10], c[11], '\0'};
    std::memcpy(sms.date_time, date_time, sizeof date_time);
}

}  // namespace
}  // namespace velmora::compat

using namespace velmora;

// TP-SCTS: seven octets YY MM DD hh mm ss zone, each with its two digits swapped.
extern "C" void decode_datetime(const char *hex14, sms_message *sms) {
    if (hex14 == nullptr || sms == nullptr)
        return;
    char raw[13] = {};
    swap_digit_pairs(hex14, 12, raw);
    char zone[3] = {};
    swap_digit_pairs(hex14 + 12, 2, zone);
    compat::put_date_time(raw, *sms);
    std::memcpy(sms->date_time_raw, raw, sizeof raw);
    std::memcpy(sms->timezone, zone, sizeof zone);
}

// 3GPP2 time stamp: YYMMDDhhmmss in plain digit order, no time zone.
extern "C" void decode_datetime_3gpp2(const char *hex12, sms_message *sms) {
    if (hex12 == nullptr || sms == nullptr)
        return;
    std::memset(sms->timezone, 0, 3);
    compat::put_date_time(hex12, *sms);
    std::memcpy(sms->date_time_raw, hex12, 12);
    sms->date_time_raw[12] = '\0';
}
