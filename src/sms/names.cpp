// SPDX-License-Identifier: Apache-2.0
// Names and short English texts for the values of the API, and what a record's fields say together.
#include <array>
#include <cstdint>
#include <cstring>
#include <strings.h>

#include "velmora/sms.h"

namespace {

template <std::size_t N>
const char *name_at(const std::array<const char *, N> &names, int value) {
    return value >= 0 && static_cast<std::size_t>(value) < N ? names[static_cast<std::size_t>(value)] : nullptr;
}

constexpr std::array<const char *, 16> kStatusMessages = {
    "success",
    "invalid argument",
    "not hexadecimal",
    "PDU ends early",
    "bytes after the user data",
    "unsupported message type",
    "field value invalid",
    "user data header longer than the user data",
    "information element runs past the header",
    "text is not valid UTF-8",
    "character not in the chosen alphabet",
    "more than 255 parts",
    "more parts than the buffers hold",
    "group no longer held",
    "PDU length differs from the <length> of its modem line",
    "text-mode listing: set AT+CMGF=0 for PDUs",
};

constexpr std::array<const char *, VELMORA_LANGUAGE_COUNT> kLanguages = {
    nullptr, "turkish", "spanish", "portuguese", "bengali", "gujarati", "hindi",
    "kannada", "malayalam", "oriya", "punjabi", "tamil", "telugu", "urdu",
};

constexpr std::array<const char *, 3> kTypes = {"deliver", "submit", "status-report"};
constexpr std::array<const char *, 3> kAlphabets = {"gsm7", "8bit", "ucs2"};
constexpr std::array<const char *, 5> kCategories = {"completed", "temporary-retrying", "permanent",
                                                     "temporary-final", "reserved"};
constexpr std::array<const char *, 5> kWaitingKinds = {"none", "voicemail", "fax", "email", "other"};

// TP-ST values with a meaning of their own (TS 23.040 9.2.3.15); the rest of each range
// is reserved or specific to the service centre.
struct DeliveryStatus {
    std::uint8_t value;
    const char *text;
};
constexpr DeliveryStatus kDeliveryStatuses[] = {
    {0x00, "short message received by the SME"},
    {0x01, "forwarded to the SME, delivery not confirmed"},
    {0x02, "short message replaced by the service centre"},
    {0x20, "congestion"},
    {0x21, "SME busy"},
    {0x22, "no response from SME"},
    {0x23, "service rejected"},
    {0x24, "quality of service not available"},
    {0x25, "error in SME"},
    {0x40, "remote procedure error"},
    {0x41, "incompatible destination"},
    {0x42, "connection rejected by SME"},
    {0x43, "not obtainable"},
    {0x44, "quality of service not available"},
    {0x45, "no interworking available"},
    {0x46, "validity period expired"},
    {0x47, "deleted by the originating SME"},
    {0x48, "deleted by service centre administration"},
    {0x49, "short message does not exist"},
    {0x60, "congestion"},
    {0x61, "SME busy"},
    {0x62, "no response from SME"},
    {0x63, "service rejected"},
    {0x64, "quality of service not available"},
    {0x65, "error in SME"},
};

}  // namespace

extern "C" const char *velmora_status_message(velmora_status status) {
    const char *message = name_at(kStatusMessages, static_cast<int>(status));
    return message != nullptr ? message : "unknown status";
}

extern "C" const char *velmora_version(void) { return VELMORA_VERSION_STRING; }

extern "C" const char *velmora_language_name(int id) { return name_at(kLanguages, id); }

extern "C" int velmora_language_id(const char *name) {
    if (name == nullptr)
        return -1;
    for (std::size_t id = 1; id < kLanguages.size(); ++id)
        if (strcasecmp(name, kLanguages[id]) == 0)
            return static_cast<int>(id);
    return -1;
}

extern "C" const char *velmora_type_name(int type) { return name_at(kTypes, type); }
extern "C" const char *velmora_alphabet_name(int alphabet) { return name_at(kAlphabets, alphabet); }
extern "C" const char *velmora_delivery_category_name(int category) { return name_at(kCategories, category); }
extern "C" const char *velmora_waiting_kind_name(int kind) { return name_at(kWaitingKinds, kind); }

extern "C" const velmora_waiting *velmora_message_waiting(const velmora_message *m) {
    if (m->special.kind != VELMORA_WAITING_NONE)
        return &m->special;
    return m->dcs_waiting.kind != VELMORA_WAITING_NONE ? &m->dcs_waiting : nullptr;
}

extern "C" const char *velmora_delivery_status_text(std::uint8_t tp_st) {
    for (const DeliveryStatus &status : kDeliveryStatuses)
        if (status.value == tp_st)
            return status.text;
    if (tp_st & 0x80)
        return "reserved";
    return (tp_st & 0x1F) >= 0x10 ? "specific to the service centre" : "reserved";
}
