// SPDX-License-Identifier: Apache-2.0
// Time stamps: TP-SCTS, TP-DT and the absolute TP-VP, and the 3GPP2 time stamp.
#include <bit>
#include <cstddef>
#include <cstring>

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

// The values two-digit year, month, day, hour, minute and second may take; a day also
// has to be within its month.
struct Range {
    std::uint8_t low, high;
};
constexpr Range kRanges[6] = {{0, 99}, {1, 12}, {1, 31}, {0, 23}, {0, 59}, {0, 59}};
constexpr bool day_in_month(std::uint32_t yy, std::uint32_t month, std::uint32_t day) {
    return day <= 28 || day <= days_in_month(four_digit_year(yy), month);
}

// The first of two-digit year, month, day, hour, minute and second (0-5) that is not
// decimal or not possible in a date and time; kAllPossible when all are.
constexpr std::size_t kAllPossible = 6;
inline std::size_t first_impossible(const std::uint32_t (&v)[6]) {
    for (std::size_t i = 0; i < 6; ++i)
        if (v[i] == kNotDecimal)
            return i;
    for (std::size_t i = 0; i < 6; ++i)
        if (v[i] < kRanges[i].low || v[i] > kRanges[i].high || (i == 2 && !day_in_month(v[0], v[1], v[2])))
            return i;
    return kAllPossible;
}

// A byte for each of the six ranges, from the lowest on.
template <class Byte>
constexpr std::uint64_t byte_of_each_range(Byte byte) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < 6; ++i)
        word |= std::uint64_t{byte(kRanges[i])} << 8 * i;
    return word;
}

// The same test for the six values at once, one a byte of `values` from the lowest on,
// all below 100: with bit 7 set, taking a byte's low leaves it set only if the value is
// at least low; adding 127 - high sets it only if the value is above high.
inline bool all_possible(std::uint64_t values) {
    constexpr std::uint64_t kBit7 = 0x0000808080808080;
    constexpr std::uint64_t kLows = byte_of_each_range([](Range r) { return r.low; });
    constexpr std::uint64_t kAboveHigh = byte_of_each_range([](Range r) { return std::uint8_t(127 - r.high); });
    const std::uint64_t at_least_low = ((values | kBit7) - kLows) & kBit7;
    const std::uint64_t above_high = (values + kAboveHigh) & kBit7;
    return at_least_low == kBit7 && above_high == 0 &&
           day_in_month(values & 0xFF, values >> 8 & 0xFF, values >> 16 & 0xFF);
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
    // its sign in bit 3 of the tens. The seven octets are read as one word: a semi-octet
    // above 9 sets bit 4 of its byte once 6 is added, and each byte's value,
    // tens x 10 + units, stays within the byte.
    static_assert(std::endian::native == std::endian::little, "octet i is byte i of the word");
    // Two overlapping 4-octet loads: a 7-octet copy into a word goes through memory, and the
    // word's load then waits for both halves' stores.
    std::uint32_t first_four, last_four;
    std::memcpy(&first_four, octets.data(), 4);
    std::memcpy(&last_four, octets.data() + 3, 4);
    const std::uint64_t word = first_four | std::uint64_t{last_four} << 24;
    const std::uint64_t tens = word & 0x00070F0F0F0F0F0F, units = word >> 4 & 0x000F0F0F0F0F0F0F;
    const bool decimal = (((tens + 0x0606060606060606) | (units + 0x0606060606060606)) & 0x1010101010101010) == 0;
    const std::uint64_t values = (tens << 3) + (tens << 1) + units;
    valid = decimal && all_possible(values & 0x0000FFFFFFFFFFFF);
    if (!valid) {
        // Which octet is wrong: the zone, octet 6, after the others.
        std::uint32_t v[6];
        for (std::size_t i = 0; i < 6; ++i)
            v[i] = kDecimalOfSwapped[octets[i]];
        return cursor.warn(VELMORA_WARNING_TIME, field, at + first_impossible(v));
    }
    // The year, month to second and has_utc_offset in one store: velmora_time lays them out
    // in that order, the year in two octets.
    static_assert(offsetof(velmora_time, month) == 2 && offsetof(velmora_time, second) == 6 &&
                  offsetof(velmora_time, has_utc_offset) == 7);
    const std::uint64_t date =
        four_digit_year(values & 0xFF) | (values & 0x0000FFFFFFFFFF00) << 8 | std::uint64_t{1} << 56;
    std::memcpy(&time, &date, sizeof date);
    time.utc_offset = static_cast<std::int16_t>((word >> 48 & 0x08 ? -15 : 15) * static_cast<int>(values >> 48 & 0xFF));
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
