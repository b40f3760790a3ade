// SPDX-License-Identifier: Apache-2.0
// The warnings of a decoded message, one row each: the bit, its name, and the failure it
// names (the clause each follows is in velmora/sms.h).
#include "sms/warnings.h"

namespace velmora::sms {
namespace {

struct Warning {
    std::uint32_t bit;
    const char *name;
    velmora_status failure;
    const char *text;
};

constexpr Warning kWarnings[] = {
    {VELMORA_WARNING_HEADER_ELEMENT, "header-element", VELMORA_E_BAD_ELEMENT,
     "an information element runs past the header: header ignored"},
    {VELMORA_WARNING_HEADER_ROOM, "header-room", VELMORA_E_HEADER_TOO_LONG,
     "no room for the header TP-UDHI announces: read without one"},
    {VELMORA_WARNING_TIME, "time", VELMORA_E_INVALID_FIELD, "digits not BCD or not a date and time: left out"},
    {VELMORA_WARNING_ADDRESS_DIGITS, "address-digits", VELMORA_E_INVALID_FIELD,
     "an F filler before the last digit: left out"},
    {VELMORA_WARNING_RESERVED_CODING, "reserved-coding", VELMORA_E_INVALID_FIELD,
     "reserved coding: read as the GSM 7-bit default alphabet"},
    {VELMORA_WARNING_TRAILING_DATA, "trailing-data", VELMORA_E_TRAILING_DATA, "octets after the user data: ignored"},
    {VELMORA_WARNING_ODD_UCS2, "odd-ucs2", VELMORA_E_INVALID_FIELD,
     "UCS-2 of an odd octet count: the last octet shown as U+FFFD"},
    {VELMORA_WARNING_LENGTH, "length", VELMORA_E_LENGTH_MISMATCH,
     "the modem's <length> fits the PDU neither with nor without its SMSC"},
};

const Warning *find(std::uint32_t bit) {
    for (const Warning &w : kWarnings)
        if (w.bit == bit)
            return &w;
    return nullptr;
}

}  // namespace

velmora_status warning_failure(std::uint32_t warning) {
    const Warning *w = find(warning);
    return w != nullptr ? w->failure : VELMORA_E_INVALID_FIELD;
}

}  // namespace velmora::sms

extern "C" const char *velmora_warning_name(std::uint32_t warning) {
    const auto *w = velmora::sms::find(warning);
    return w != nullptr ? w->name : nullptr;
}

extern "C" const char *velmora_warning_text(std::uint32_t warning) {
    const auto *w = velmora::sms::find(warning);
    return w != nullptr ? w->text : nullptr;
}
