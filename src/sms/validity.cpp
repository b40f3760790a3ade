// SPDX-License-Identifier: Apache-2.0
// TP-VP of an SMS-SUBMIT (3GPP TS 23.040 9.2.3.12), read and written.
#include <algorithm>

#include "codec/semi_octets.h"
#include "sms/fields.h"

namespace velmora::sms {
namespace {

constexpr const char *kField = "TP-VP";
constexpr std::uint8_t kExtensionBit = 0x80;
constexpr std::uint8_t kSingleShotBit = 0x40;

// Enhanced format: functionality octets (bit 7 announcing another), then the period in
// the form bits 2-0 of the first give. Reserved forms are kept as read, without a period.
bool read_enhanced(std::span<const std::uint8_t> vp, Cursor &cursor, std::size_t at, velmora_message &message) {
    message.validity_single_shot = (vp[0] & kSingleShotBit) != 0;
    std::size_t period = 1;
    while (period < vp.size() && (vp[period - 1] & kExtensionBit) != 0)
        ++period;
    const auto rest = vp.subspan(period);
    const std::uint8_t form = vp[0] & 0x07;
    static constexpr std::size_t kPeriodOctets[8] = {0, 1, 1, 3, 0, 0, 0, 0};
    if (rest.size() < kPeriodOctets[form])
        return cursor.invalid(kField, at);
    switch (form) {
    case 1:  // as the relative format
        message.validity_seconds = 60 * relative_validity_minutes(rest[0]);
        break;
    case 2:  // seconds, 0-255
        message.validity_seconds = rest[0];
        break;
    case 3: {  // hh mm ss as swapped semi-octets; other digits leave the period unknown
        std::uint32_t seconds = 0;
        for (std::size_t i = 0; i < 3; ++i) {
            const auto value = decimal_of_swapped(rest[i]);
            if (!value) {
                message.present &= ~VELMORA_HAS_VALIDITY;
                return cursor.warn(VELMORA_WARNING_TIME, kField, at + period + i);
            }
            seconds = seconds * 60 + *value;
        }
        message.validity_seconds = seconds;
        break;
    }
    default:
        break;
    }
    return true;
}

}  // namespace

std::optional<std::uint8_t> relative_validity_octet(std::uint32_t minutes) {
    // The periods grow with the octet: the first that is long enough, found by halving.
    if (minutes > relative_validity_minutes(0xFF))
        return std::nullopt;
    std::uint32_t low = 0, high = 0xFF;
    while (low < high) {
        const std::uint32_t vp = (low + high) / 2;
        if (relative_validity_minutes(static_cast<std::uint8_t>(vp)) >= minutes)
            high = vp;
        else
            low = vp + 1;
    }
    return static_cast<std::uint8_t>(low);
}

bool read_validity(Cursor &cursor, std::uint32_t format, velmora_message &message) {
    message.validity_format = static_cast<std::uint8_t>(format);
    if (format == VELMORA_VPF_NONE)
        return true;
    const std::size_t at = cursor.offset();
    std::span<const std::uint8_t> vp;
    if (!cursor.take(format == VELMORA_VPF_RELATIVE ? 1 : 7, kField, vp))
        return false;
    message.present |= VELMORA_HAS_VALIDITY;
    std::copy(vp.begin(), vp.end(), message.validity_raw);
    switch (format) {
    case VELMORA_VPF_RELATIVE:
        message.validity_seconds = 60 * relative_validity_minutes(vp[0]);
        return true;
    case VELMORA_VPF_ABSOLUTE: {
        bool valid = false;
        const bool go_on = read_gsm_time(vp, cursor, at, kField, message.validity_until, valid);
        if (!valid)
            message.present &= ~VELMORA_HAS_VALIDITY;
        return go_on;
    }
    default:
        return read_enhanced(vp, cursor, at, message);
    }
}

}  // namespace velmora::sms
