// SPDX-License-Identifier: Apache-2.0
// TP-UDL and TP-UD: the header, then GSM 7-bit septets, UCS-2, Latin-1 text or octets.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/gsm7.h"
#include "codec/septets.h"
#include "codec/utf8.h"
#include "sms/record_bytes.h"
#include "sms/user_data.h"

namespace velmora::sms {
namespace {

std::size_t user_data_octets(std::uint32_t length, LengthUnit unit) {
    switch (unit) {
    case LengthUnit::Septets:
        return packed_size(length, 0);
    case LengthUnit::Ucs2Characters:
        return 2 * std::size_t{length};
    case LengthUnit::Octets:
        break;
    }
    return length;
}

std::size_t latin1_to_utf8(std::span<const std::uint8_t> octets, char *out) {
    std::size_t written = 0;
    for (const std::uint8_t c : octets)
        written += put_utf8(c, out + written);
    return written;
}

// Text of `units` septets after `fill` bits, through the tables the header selects.
std::size_t septets_to_utf8(std::span<const std::uint8_t> packed, std::uint32_t units, std::uint32_t fill,
                            const velmora_message &m, char *out) {
    std::array<unsigned char, 8 * 256 / 7 + 1> codes;
    unpack_septets(packed.data(), units, codes.data(), fill);
    return gsm7_to_utf8({codes.data(), units}, {m.locking_shift, m.single_shift}, out);
}

}  // namespace

// Out of line, also where the GSM decoder inlines every other field reader.
[[gnu::noinline]] bool read_user_data(Cursor &cursor, const UserDataLayout &layout, bool has_header, velmora_message &m) {
    const std::size_t length_at = cursor.offset();
    std::uint8_t length;
    if (!cursor.octet(layout.length_field, length))
        return false;
    m.user_data_length = length;
    m.present |= VELMORA_HAS_USER_DATA;
    if (length > layout.max_length)
        return cursor.invalid(layout.length_field, length_at);

    const std::size_t data_at = cursor.offset();
    std::span<const std::uint8_t> ud;
    if (!cursor.take(user_data_octets(length, layout.unit), layout.data_field, ud))
        return false;
    std::uint32_t header_octets = 0, header_length = 0, fill = 0;
    if (has_header) {
        // A header needs room in the user data; without it the user data is read whole.
        if (length == 0 || header_units(ud[0], layout.unit) > length) {
            if (!cursor.warn(VELMORA_WARNING_HEADER_ROOM, layout.header_field, data_at))
                return false;
        } else {
            header_octets = ud[0] + 1u;
            header_length = header_units(ud[0], layout.unit);
            if (layout.unit == LengthUnit::Septets)
                fill = header_fill_bits(ud[0]);
            if (!read_header_elements(cursor, ud.subspan(1, ud[0]), data_at, layout.header_field, m))
                return false;
        }
    }

    const std::uint32_t units = length - header_length;
    const auto body = ud.subspan(header_octets);
    switch (layout.content) {
    case Content::Gsm7Text:
        m.text_length = static_cast<std::uint32_t>(septets_to_utf8(body, units, fill, m, m.text));
        break;
    case Content::Ucs2Text:
    case Content::Latin1Text:
    case Content::Octets: {
        // UCS-2 characters of 3GPP2 are two octets each; GSM counts UCS-2 data in octets.
        const std::size_t count = layout.unit == LengthUnit::Ucs2Characters ? 2 * std::size_t{units} : units;
        const auto octets = body.first(count);
        copy_bytes(m.data, octets.data(), octets.size());
        m.data_length = static_cast<std::uint32_t>(octets.size());
        // A last lone octet shows as U+FFFD.
        if (layout.content == Content::Ucs2Text && count % 2 != 0 &&
            !cursor.warn(VELMORA_WARNING_ODD_UCS2, layout.length_field, length_at))
            return false;
        if (layout.content == Content::Ucs2Text)
            m.text_length = static_cast<std::uint32_t>(utf16be_to_utf8(octets, m.text));
        else if (layout.content == Content::Latin1Text)
            m.text_length = static_cast<std::uint32_t>(latin1_to_utf8(octets, m.text));
        break;
    }
    }
    m.text[m.text_length] = '\0';
    if (layout.content != Content::Octets)
        m.present |= VELMORA_HAS_TEXT;
    return true;
}

}  // namespace velmora::sms
