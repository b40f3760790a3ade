// SPDX-License-Identifier: Apache-2.0
// Shared by vectors_test.cpp and fuzz/sms_encode_fuzzer.cpp: options as a line of words, and what every PDU made keeps,
// read back by velmora_decode and (in DELIVER shape) by libvelmora.so.2: the text or data, parts and options sent.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "codec/hex.h"
#include "codec/utf8.h"
#include "velmora.h"
#include "velmora/sms.h"

namespace round_trip {

// Options as words, "to=+4912345 class=0 minutes=30 ...", over the defaults and to=12345;
// `known` is cleared by a word it does not know.
struct Options {
    velmora_submit_options o;
    std::string to = "12345", smsc, from;
    bool data = false, known = true;
    std::size_t capacity = VELMORA_MAX_PARTS;

    Options(const Options &) = delete;
    explicit Options(const std::string &text) {
        velmora_submit_options_init(&o);
        std::istringstream words(text);
        for (std::string word; words >> word;) {
            const std::string key = word.substr(0, word.find('=')), value = word.substr(word.find('=') + 1);
            const auto n = static_cast<int>(std::strtol(value.c_str(), nullptr, 0));
            if (key == "to") to = value == "-" ? "" : value;
            else if (key == "smsc") smsc = value;
            else if (key == "cdma") o.format = VELMORA_FORMAT_CDMA, from = value;
            else if (key == "data") data = true;
            else if (key == "capacity") capacity = static_cast<std::size_t>(std::clamp(n, 0, VELMORA_MAX_PARTS));
            else if (key == "to_type") o.to_type = n;
            else if (key == "from_type") o.from_type = n;
            else if (key == "mr") o.message_reference = static_cast<std::uint8_t>(n);
            else if (key == "ref") o.reference = n;
            else if (key == "refbits") o.reference_bits = static_cast<std::uint8_t>(n);
            else if (key == "srr" || key == "rd" || key == "rp")  // TP-SRR, TP-RD, TP-RP
                (key == "srr" ? o.status_report : key == "rd" ? o.reject_duplicates : o.reply_path) = 1;
            else if (key == "class") o.message_class = static_cast<std::int8_t>(n);
            else if (key == "pid") o.pid = static_cast<std::uint8_t>(n);
            else if (key == "omit") o.validity = VELMORA_VALIDITY_OMIT;
            else if (key == "minutes")
                o.validity = VELMORA_VALIDITY_MINUTES, o.validity_minutes = static_cast<std::uint32_t>(n);
            else if (key == "ports" || key == "ports8")  // DEST:SRC
                o.port_bits = static_cast<std::uint8_t>(key == "ports" ? 16 : 8),
                std::sscanf(value.c_str(), "%hu:%hu", &o.destination_port, &o.source_port);
            else if (key == "alphabet")  // gsm7, 8bit, ucs2, or anything else as 9
                o.alphabet = static_cast<std::uint8_t>(value == "gsm7" ? 0 : value == "8bit" ? 1
                                                       : value == "ucs2" ? 2 : 9);
            else if (key == "languages")
                for (std::istringstream names(value); std::getline(names, word, ',');)
                    o.languages |= static_cast<std::uint16_t>(1u << std::max(0, velmora_language_id(word.c_str())));
            else if (key == "until") {  // 2026-12-24T18:30:00+345: the UTC offset in minutes
                velmora_time &t = o.validity_until;
                o.validity = VELMORA_VALIDITY_UNTIL, t.has_utc_offset = 1;
                std::sscanf(value.c_str(), "%4hu-%2hhu-%2hhuT%2hhu:%2hhu:%2hhu%hd", &t.year, &t.month, &t.day, &t.hour,
                            &t.minute, &t.second, &t.utc_offset);
            } else
                known = false;
        }
        o.to = to.c_str(), o.smsc = smsc.c_str(), o.from = from.empty() ? nullptr : from.c_str();
    }
};

using Octets = std::vector<std::uint8_t>;

// SMS-SUBMIT as SMS-DELIVER: TP-MR and TP-VP dropped, TP-DA kept as TP-OA, TP-SCTS added.
inline Octets gsm_deliver(const Octets &s) {
    const std::size_t first = 1 + s[0], address = first + 2, dcs = address + 2 + (s[address] + 1u) / 2 + 1;
    const std::size_t vpf = s[first] >> 3 & 3, user_data = dcs + 1 + (vpf == 0 ? 0 : vpf == 2 ? 1 : 7);
    Octets d(s.begin(), s.begin() + first);
    d.push_back(s[first] & 0x40);
    d.insert(d.end(), s.begin() + address, s.begin() + dcs + 1);
    d.insert(d.end(), {0x12, 0x20, 0x41, 0x31, 0x60, 0x50, 0x80});
    d.insert(d.end(), s.begin() + user_data, s.end());
    return d;
}

// The 3GPP2 submit layout as the deliver layout: the destination as the sender, a time
// stamp instead of the callback number.
inline Octets cdma_deliver(const Octets &s) {
    const std::size_t callback = 1 + s[0];
    Octets d(s.begin(), s.begin() + callback);
    d.insert(d.end(), {0x21, 0x02, 0x14, 0x13, 0x06, 0x05});
    d.insert(d.end(), s.begin() + callback + 1 + s[callback], s.end());
    return d;
}

// GSM 7-bit text as libvelmora.so.2 reads it: 8-bit characters, the euro sign 0x80, and
// '?' for the Greek capitals, which have none.
inline std::string compat_text(std::string_view utf8) {
    std::string out;
    char32_t cp;
    for (std::size_t at = 0, n; at < utf8.size(); at += n) {
        n = velmora::next_utf8(utf8, at, cp);
        out += cp == U'€' ? '\x80' : cp > 0xFF ? '?' : static_cast<char>(cp);
    }
    return out;
}

// A number as the decoder shows it: '+' for an international one, 'a'-'c' in lower case.
inline std::string shown(const char *number, const velmora_address &address) {
    std::string digits = (address.ton == 1 ? "+" : "") + std::string(number + (number[0] == '+'));
    std::transform(digits.begin(), digits.end(), digits.begin(), [](char c) { return std::tolower(c); });
    return digits;
}

// "" when the PDUs read back to the payload, the options and what velmora_count says of
// a text; else what differs first.
inline std::string check(std::string_view payload, bool is_text, const velmora_submit_options &o,
                         const velmora_pdu *pdus, std::size_t count) {
    velmora_count_result counted = VELMORA_COUNT_RESULT_INIT;
    if (is_text && velmora_count(payload.data(), payload.size(), &o, &counted, nullptr) != VELMORA_OK)
        return "velmora_count failed";
    const bool cdma = o.format == VELMORA_FORMAT_CDMA, smsc = o.smsc != nullptr && o.smsc[0] != '\0';
    auto m = std::make_unique<velmora_message>(), first = std::make_unique<velmora_message>();
    velmora_message_init(m.get());
    auto old = std::make_unique<sms_message>();
    const bool relative = o.validity == VELMORA_VALIDITY_MINUTES || (!o.validity && count == 1);
    const int vpf = relative ? VELMORA_VPF_RELATIVE : o.validity == VELMORA_VALIDITY_UNTIL ? 3 : 0;
    const velmora_time &until = o.validity_until;
    const int offset = until.has_utc_offset ? until.utc_offset : 0;
    std::string text, data;
#define RT_EXPECT(condition) if (!(condition)) return "part " + std::to_string(part + 1) + ": " #condition
    for (std::size_t part = 0; part < count; ++part) {
        Octets submit(pdus[part].hex_length / 2);
        velmora::parse_digit_pairs(pdus[part].hex, static_cast<std::uint32_t>(submit.size()), submit.data());
        const Octets deliver = cdma ? cdma_deliver(submit) : gsm_deliver(submit);
        RT_EXPECT(pdus[part].hex_length == std::strlen(pdus[part].hex));
        RT_EXPECT(velmora_decode(submit.data(), submit.size(), cdma ? VELMORA_CDMA : 0, m.get(), nullptr) == 0);
        if (part == 0)
            *first = *m;
        RT_EXPECT(std::tie(m->alphabet, m->locking_shift, m->single_shift, m->dcs) ==
                  std::tie(first->alphabet, first->locking_shift, first->single_shift, first->dcs));
        RT_EXPECT(m->parts == (count > 1 ? count : 0) && m->part == (count > 1 ? part + 1 : 0));
        RT_EXPECT(count == 1 || (m->reference == first->reference && m->reference_bits == o.reference_bits &&
                                 (o.reference < 0 || m->reference == o.reference)));
        RT_EXPECT(m->port_bits == o.port_bits && m->destination_port == (o.port_bits ? o.destination_port : 0) &&
                  m->source_port == (o.port_bits ? o.source_port : 0));
        RT_EXPECT(m->type == VELMORA_SUBMIT && m->recipient.text == shown(o.to, m->recipient));
        RT_EXPECT(!cdma || m->originator.text == shown(o.from, m->originator));
        RT_EXPECT(pdus[part].tpdu_length == submit.size() - (cdma ? 0 : 1 + submit[0]) &&
                  (!cdma || m->teleservice == (m->udh_length ? 4101 : 4098)));
        RT_EXPECT(cdma || (smsc == ((m->present & VELMORA_HAS_SMSC) != 0) &&
                           (!smsc || m->smsc.text == shown(o.smsc, m->smsc))));
        RT_EXPECT(cdma || std::make_tuple(m->message_reference, m->pid, m->message_class, m->status_report,
                                          m->reject_duplicates, m->reply_path, int{m->validity_format}) ==
                              std::make_tuple(o.message_reference, o.pid, o.message_class, !!o.status_report,
                                              !!o.reject_duplicates, !!o.reply_path, vpf));
        RT_EXPECT(cdma || o.validity != VELMORA_VALIDITY_DEFAULT || vpf == 0 || m->validity_raw[0] == 0xAA);
        RT_EXPECT(cdma || o.validity != VELMORA_VALIDITY_MINUTES || m->validity_seconds >= 60ull * o.validity_minutes);
        const velmora_time &t = m->validity_until;
        RT_EXPECT(cdma || o.validity != VELMORA_VALIDITY_UNTIL ||
                  std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second, t.utc_offset) ==
                      std::tie(until.year, until.month, until.day, until.hour, until.minute, until.second, offset));
        const std::string part_text(m->text, m->text_length), part_data(m->data, m->data + m->data_length);
        // libvelmora.so.2 reads what it sends itself: the default alphabet, UCS-2 and octets
        // without a class, some user data, no header element but the concatenation one.
        const bool compat_dcs = m->dcs == 0x00 || m->dcs == 0x04 || m->dcs == 0x08;
        if ((cdma || (first->locking_shift + first->single_shift == 0 && compat_dcs)) && o.port_bits == 0 &&
            m->text_length + m->data_length != 0) {
            std::string hex(2 * deliver.size(), '\0');
            velmora::render_hex(deliver.data(), static_cast<std::uint32_t>(deliver.size()), hex.data());
            const auto length = static_cast<std::uint32_t>(hex.size());
            RT_EXPECT((cdma ? sms_decode_3gpp2_pdu : sms_decode_pdu)(hex.c_str(), length, old.get(), 0) == 0);
            RT_EXPECT(std::string(old->text, old->text_len * (m->alphabet == VELMORA_ALPHABET_UCS2 ? 2 : 1)) ==
                      (m->alphabet == VELMORA_ALPHABET_GSM7 ? compat_text(part_text) : part_data));
            RT_EXPECT(count == 1 || o.reference_bits == 16 ||
                      (old->msg_id == first->reference && old->total_parts == count && old->part_num == part + 1));
        }
        text += part_text;
        data += part_data;
    }
    const std::size_t part = count - 1;
    RT_EXPECT((is_text && first->alphabet != VELMORA_ALPHABET_8BIT ? text : data) == payload);
    RT_EXPECT(!is_text || (counted.parts == count && counted.units_left <= counted.units_per_part &&
                           std::tie(counted.alphabet, counted.locking_shift, counted.single_shift) ==
                               std::tie(first->alphabet, first->locking_shift, first->single_shift)));
#undef RT_EXPECT
    return "";
}

// A payload encoded into slots for 256 PDUs; `problem` says what went wrong besides the
// status: a slot written past the PDUs made (any on failure), a wrong count or error
// record, or a difference found by check().
struct Encoded {
    velmora_status status;
    velmora_error error = VELMORA_ERROR_INIT;
    std::size_t count = 99;
    std::vector<velmora_pdu> pdus = std::vector<velmora_pdu>(VELMORA_MAX_PARTS + 1);
    std::string problem;
};

inline Encoded encode(const Options &options, const std::string &payload) {
    Encoded r;
    const velmora_submit_options &o = options.o;
    std::memset(r.pdus.data(), 0x5A, r.pdus.size() * sizeof(velmora_pdu));
    for (velmora_pdu &pdu : r.pdus)
        pdu.size = sizeof pdu;
    const auto *octets = reinterpret_cast<const std::uint8_t *>(payload.data());
    velmora_pdu *out = r.pdus.data();
    const std::size_t capacity = options.capacity;
    r.status = options.data ? velmora_encode_data(octets, payload.size(), &o, out, capacity, &r.count, &r.error)
                            : velmora_encode(payload.data(), payload.size(), &o, out, capacity, &r.count, &r.error);
    const std::size_t made = r.status == VELMORA_OK ? std::min(r.count, capacity) : 0;
    if (std::any_of(r.pdus.begin() + made, r.pdus.end(), [](const velmora_pdu &p) { return p.hex[0] != 0x5A; }))
        r.problem = "a PDU written beyond those made";
    const bool count_right = r.status == VELMORA_OK          ? r.count != 0 && r.count <= capacity
                             : r.status == VELMORA_E_NO_ROOM ? r.count > capacity
                                                             : r.count == 0;
    if (r.status != r.error.status || r.error.field == nullptr || !count_right)
        r.problem = "error record or count of PDUs";
    else if (r.status == VELMORA_OK && r.problem.empty())
        r.problem = check(payload, !options.data, o, out, r.count);
    return r;
}

}  // namespace round_trip
