#include <cstring>

#include "velmora.h"

// TP-SCTS: seven octets YY MM DD hh mm ss zone, each with its two digits swapped.
extern "C" void decode_datetime(const char *hex14, sms_message *sms) {
    if (hex14 == nullptr || sms == nullptr)
        return;
    const char *c = hex14;
    const char date_time[] = {c[5], c[4], '/', c[3], c[2], '/', c[1], c[0], ' ', '-', ' ',
                              c[7], c[6], ':', c[9], c[8], ':', c[11], c[10], '\0'};
    const char raw[] = {c[1], c[0], c[3], c[2], c[5], c[4], c[7], c[6], c[9], c[8], c[11], c[10], '\0'};
    const char zone[] = {c[13], c[12], '\0'};
    std::memcpy(sms->date_time, date_time, sizeof date_time);
    std::memcpy(sms->date_time_raw, raw, sizeof raw);
    std::memcpy(sms->timezone, zone, sizeof zone);
}

// 3GPP2 time stamp: YYMMDDhhmmss in plain digit order, no time zone.
extern "C" void decode_datetime_3gpp2(const char *hex12, sms_message *sms) {
    if (hex12 == nullptr || sms == nullptr)
        return;
    const char *c = hex12;
    std::memset(sms->timezone, 0, 3);
    const char date_time[] = {c[4], c[5], '/', c[2], c[3], '/', c[0], c[1], ' ', '-', ' ',
                              c[6], c[7], ':', c[8], c[9], ':', c[10], c[11], '\0'};
    std::memcpy(sms->date_time, date_time, sizeof date_time);
    std::memcpy(sms->date_time_raw, c, 12);
    sms->date_time_raw[12] = '\0';
}
