// What every decoded record must look like, whatever PDU text produced it.
#pragma once

#include <cstring>

#include "fuzz_support.h"

namespace fuzz {

enum class UserData { Septets, Octets, Ucs2, Refused };

// Member by member, so that padding between members does not count.
inline bool same_record(const sms_message &a, const sms_message &b) {
#define SAME(member) (std::memcmp(&a.member, &b.member, sizeof a.member) == 0)
    return SAME(reserved) && SAME(text) && SAME(text_len) && SAME(data_coding) && SAME(msg_id) &&
           SAME(priority) && SAME(total_parts) && SAME(part_num) && SAME(telnum) && SAME(telnum_type) &&
           SAME(telnum_len) && SAME(dst_telnum) && SAME(dst_telnum_type) && SAME(dst_telnum_len) &&
           SAME(teleserv_id) && SAME(date_time) && SAME(date_time_raw) && SAME(timezone) &&
           SAME(pdu_count) && SAME(pdus);
#undef SAME
}

inline bool zero_from(const char *bytes, std::size_t from, std::size_t size) {
    for (std::size_t i = from; i < size; ++i)
        if (bytes[i] != '\0')
            return false;
    return true;
}

// Members that no decoder writes stay cleared; the text members it fills end in a NUL;
// text_len never exceeds what the coding's capacity allows, and the rest of `text` is clear.
inline void check_decoded(const sms_message &sms, int rc, UserData coding) {
    FUZZ_CHECK(rc == 0 || rc == -1);
    FUZZ_CHECK(sms.reserved == 0);
    FUZZ_CHECK(sms.dst_telnum_type == 0 && sms.dst_telnum_len == 0);
    FUZZ_CHECK(zero_from(sms.dst_telnum, 0, sizeof sms.dst_telnum));
    FUZZ_CHECK(sms.pdu_count == 0);
    FUZZ_CHECK(zero_from(reinterpret_cast<const char *>(sms.pdus), 0, sizeof sms.pdus));

    FUZZ_CHECK(bounded_length(sms.telnum, sizeof sms.telnum) <= 24);
    FUZZ_CHECK(bounded_length(sms.date_time, sizeof sms.date_time) < sizeof sms.date_time);
    FUZZ_CHECK(bounded_length(sms.date_time_raw, sizeof sms.date_time_raw) <= 12);
    FUZZ_CHECK(bounded_length(sms.timezone, sizeof sms.timezone) <= 2);

    if (rc != 0) {
        FUZZ_CHECK(sms.text_len == 0);
        FUZZ_CHECK(zero_from(sms.text, 1, sizeof sms.text));
        return;
    }
    switch (coding) {
    case UserData::Septets:
        FUZZ_CHECK(sms.text_len >= 1 && sms.text_len <= 161);
        for (std::uint32_t i = 0; i < sms.text_len; ++i)
            FUZZ_CHECK(sms.text[i] != '\0');  // no GSM code decodes to NUL
        FUZZ_CHECK(zero_from(sms.text, sms.text_len, sizeof sms.text));
        break;
    case UserData::Octets:
        FUZZ_CHECK(sms.text_len <= sizeof sms.text);
        FUZZ_CHECK(zero_from(sms.text, sms.text_len, sizeof sms.text));
        break;
    case UserData::Ucs2:
        FUZZ_CHECK(sms.text_len >= 1 && 2 * sms.text_len <= sizeof sms.text);
        FUZZ_CHECK(zero_from(sms.text, 2 * sms.text_len + 1, sizeof sms.text));
        break;
    case UserData::Refused:
        FUZZ_CHECK(!"a refused coding decoded successfully");
    }
}

// A decoder clears the record first, so a record full of garbage gives the same result
// as a cleared one.
inline sms_message garbage_record() {
    sms_message sms;
    std::memset(&sms, 0xA5, sizeof sms);
    return sms;
}

}  // namespace fuzz
