// SPDX-License-Identifier: Apache-2.0
// Sending: the options checked into fields, the plan of alphabet and parts, and the
// writer of each part's SMS-SUBMIT (or compact 3GPP2) PDU.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "codec/gsm7.h"
#include "codec/user_data_header.h"
#include "sms/fields.h"
#include "velmora/sms.h"

namespace velmora::sms {

// Records a failure (the first wins) and returns false.
inline bool fail(velmora_error &error, velmora_status status, const char *field, std::size_t offset = 0,
                 char32_t code_point = 0) {
    if (error.status == VELMORA_OK)
        // Member by member: the caller's record may be smaller than this release's.
        error.status = status, error.offset = static_cast<std::uint32_t>(offset), error.field = field,
        error.code_point = static_cast<std::uint32_t>(code_point);
    return false;
}

// What is sent: UTF-8 text, or octets as they are.
struct Payload {
    std::string_view bytes;
    bool is_text;
};

// The options, checked.
struct SubmitFields {
    std::uint8_t format = VELMORA_FORMAT_GSM;
    std::uint8_t alphabet = VELMORA_ALPHABET_AUTO;  // as asked
    std::uint16_t languages = 0;                    // allowed: bit per national language
    Number to;
    std::optional<Number> smsc;
    Number from;                     // 3GPP2 callback
    std::uint8_t flags = 0;          // TP-RD, TP-SRR and TP-RP of the first octet
    std::uint8_t message_reference = 0;
    std::uint8_t pid = 0;
    int message_class = -1;
    std::uint8_t validity = VELMORA_VALIDITY_DEFAULT;
    std::array<std::uint8_t, 7> validity_octets{};  // the relative octet, or the absolute time
    std::uint8_t reference_bits = 8;
    std::int32_t reference = -1;     // -1: from the library's counter
    std::uint8_t port_bits = 0;
    std::uint16_t destination_port = 0, source_port = 0;
};

// Checks the options of a text (is_text) or of 8-bit data, the numbers too when
// `addresses` is set; a value out of range fails as VELMORA_E_ARGUMENT naming the member.
bool check_options(const velmora_submit_options &options, bool is_text, bool addresses, SubmitFields &fields,
                   velmora_error &error);

// The alphabet, national tables and cut of a message.
struct Plan {
    std::uint8_t alphabet = VELMORA_ALPHABET_GSM7;
    Gsm7Language language;
    std::uint32_t parts = 1;
    std::uint32_t units_per_part = 0;  // septets, octets or UTF-16 code units
    std::uint32_t units_used = 0;
    std::uint32_t last_part_units = 0;
    std::size_t overflow_at = 0;       // byte offset of the first character past 255 parts
};

// The GSM codes of a text in the default alphabet (ESC before each shift code), kept while
// planning for the parts to take, when they all fit here.
struct Gsm7Codes {
    std::array<std::uint8_t, 1024> codes;
    std::uint32_t length = 0;
    bool whole = false;
};

// Chooses the alphabet and tables and cuts the payload into parts, each filled as far as
// the next character (escape pair, surrogate pair, UTF-8 sequence of 8-bit text) fits
// whole. Reads at most `scan_limit` bytes and a character: more can never fit 255 parts.
// Keeps the codes in `codes` when given and the plan is the default alphabet's.
bool plan_message(Payload payload, const SubmitFields &fields, std::size_t scan_limit, Plan &plan,
                  velmora_error &error, Gsm7Codes *codes = nullptr);

// Bytes of text beyond which 255 parts cannot hold it: each septet, octet or UTF-16 code
// unit takes at most three bytes of UTF-8.
inline constexpr std::size_t kMaxSendableBytes = std::size_t{VELMORA_MAX_PARTS} * 160 * 3;

// The units of one part: GSM codes (ESC before each shift code), or octets.
struct PartUnits {
    std::array<std::uint8_t, 160> octets;
    std::uint32_t length = 0;
    std::uint32_t units = 0;
};

// The parts of a planned payload, one after the other.
class PartReader {
public:
    // `codes`, when given and whole, holds the planned text's codes.
    PartReader(Payload payload, const Plan &plan, const Gsm7Codes *codes = nullptr)
        : payload_(payload), plan_(plan), codes_(codes != nullptr && codes->whole ? codes : nullptr) {}
    void next(PartUnits &units);

private:
    void next_from_codes(PartUnits &units);

    Payload payload_;
    const Plan &plan_;
    const Gsm7Codes *codes_;
    std::size_t at_ = 0;  // bytes of the payload read, or codes taken
};

// The elements of a part's user data header. `part` counts from 1; a message of one part
// has no concatenation element.
HeaderContent header_content(const SubmitFields &fields, const Plan &plan, std::uint32_t part,
                             std::uint16_t reference);
// UDHL and every element a sent header can hold: concatenation, ports, both shifts.
inline constexpr std::size_t kMaxHeaderOctets = 1 + 6 + 6 + 3 + 3;

// Part `part` of a planned message as a PDU.
void write_part(const SubmitFields &fields, const Plan &plan, std::uint32_t part, std::uint16_t reference,
                const PartUnits &units, velmora_pdu &pdu);

}  // namespace velmora::sms
