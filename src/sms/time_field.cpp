// SPDX-License-Identifier: Apache-2.0
// Time stamps: TP-SCTS, TP-DT and the absolute TP-VP, and the 3GPP2 time stamp.
#include "codec/semi_octets.h"
#include "sms/fields.h"

namespace velmora::sms {
namespace {

// 00-89 are 2000-2089, 90-99 are 1990-1999.
constexpr std::uint16_t four_digit_year(std::uint32_t yy) { return static_cast<std::uint16_t>(yy < 90 ? 2000 + yy : 1900 + yy); }

// Two-digit year, month, day, hour, minute and second into a time.
void set_date_and_time(const std::uint32_t (&v)[6], velmora_time &time) {
    time.year = four_digit_year(v[0]);
    time.month = static_cast<std::uint8_t>(v[1]);
    time.day = static_cast<std::uint8_t>(v[2]);
    time.hour = static_cast<std::uint8_t>(v[3]);
    time.minute = static_cast<std::uint8_t>(v[4]);
    time.second = static_cast<std::uint8_t>(v[5]);
}

constexpr bool leap_year(std::uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

constexpr std::uint32_t days_in_month(std::uint32_t year, std::uint32_t month) {
    constexpr std::uint8_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month != 2)
        return kDays[month - 1];
    return leap_year(year) ? 29 : 28;
}

// The first of two-digit year, month, day, hour, minute and second (0-5) that is not
// decimal or not possible in a date and time; kAllPossible when all are.
constexpr std::size_t kAllPossible = 6;
inline std::size_t first_impossible(const std::uint32_t (&v)[6]) {
    for (std::size_t i = 0; i < 6; ++i)
        if (v[i] == kNotDecimal)
            return i;
    if (v[1] < 1 || v[1] > 12)
        return 1;
    if (v[2] < 1 || v[2] > days_in_month(four_digit_year(v[0]), v[1]))
        return 2;
    static constexpr std::uint32_t kLimits[3] = {24, 60, 60};
    for (std::size_t i = 3; i < 6; ++i)
        if (v[i] >= kLimits[i - 3])
            return i;
    return kAllPossible;
}

}  // namespace

std::optional<std::array<std::uint8_t, 7>> gsm_time_octets(const velmora_time &time) {
    const int offset = time.has_utc_offset ? time.utc_offset : 0;
    const int quarters = offset < 0 ? -offset / 15 : offset / 15;
    const bool valid = time.year >= 1990 && time.year <= 2089 && time.month >= 1 && time.month <= 12 &&
                       time.day >= 1 && time.day <= days_in_month(time.year, time.month) && time.hour < 24 &&
                       time.minute < 60 && time.second < 60 && offset % 15 == 0 && quarters <= 79;
    if (!valid)
        return std::nullopt;
    std::uint8_t zone = swapped_decimal(static_cast<std::uint32_t>(quarters));
    if (offset < 0)
        zone |= 0x08;
    return std::array<std::uint8_t, 7>{swapped_decimal(time.year % 100), swapped_decimal(time.month),
                                       swapped_decimal(time.day),        swapped_decimal(time.hour),
                                       swapped_decimal(time.minute),     swapped_decimal(time.second),
                                       zone};
}

bool read_gsm_time(std::span<const std::uint8_t> octets, Cursor &cursor, std::size_t at, const char *field,
                   velmora_time &time, bool &valid) {
    // Each octet holds its first digit in the low nibble; the zone counts quarter hours,
    // its sign in bit 3 of the tens.
    std::uint32_t v[6];
    for (std::size_t i = 0; i < 6; ++i)
        v[i] = kDecimalOfSwapped[octets[i]];
    const std::uint8_t zone = octets[6];
    const std::uint8_t quarters = kDecimalOfSwapped[zone & 0xF7];
    const std::size_t bad = first_impossible(v);  // the zone, octet 6, after the others
    valid = bad == kAllPossible && quarters != kNotDecimal;
    if (!valid)
        return cursor.warn(VELMORA_WARNING_TIME, field, at + bad);
    set_date_and_time(v, time);
    time.has_utc_offset = 1;
    time.utc_offset = static_cast<std::int16_t>((zone & 0x08 ? -15 : 15) * static_cast<int>(quarters));
    return true;
}

bool read_cdma_time(std::span<const std::uint8_t> octets, Cursor &cursor, std::size_t at, const char *field,
                    velmora_time &time, bool &valid) {
    std::uint32_t v[6];
    for (std::size_t i = 0; i < 6; ++i)
        v[i] = decimal_of_plain(octets[i]).value_or(kNotDecimal);
    const std::size_t bad = first_impossible(v);
    valid = bad == kAllPossible;
    if (!valid)
        return cursor.warn(VELMORA_WARNING_TIME, field, at + bad);
    set_date_and_time(v, time);
    return true;
}

}  // namespace velmora::sms
