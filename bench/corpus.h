// SPDX-License-Identifier: Apache-2.0
// Messages and PDUs shared by the benchmarks: the texts are plain GSM default-alphabet
// characters (no escape pairs), the PDUs are built here from their GSM codes so that
// each workload decodes back to a known text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "velmora.h"

namespace corpus {

// `length` characters of readable text, every one of them a single GSM code
// ('@', '$' and '_' differ from their code, the rest map to themselves).
inline std::string text(std::size_t length) {
    static constexpr std::string_view kProse =
        "Meet me at Gate 12 @ 18:45, bring 2 tickets ($35 each) and the blue_folder. "
        "Trains leave every 20 minutes; if you are late, call +44 7700 900123! "
        "Reply YES or NO? ";
    std::string out;
    while (out.size() < length)
        out += kProse;
    out.resize(length);
    return out;
}

// `prose` repeated and cut to `length` characters (code points) of UTF-8.
inline std::string characters(std::string_view prose, std::size_t length) {
    std::string out;
    for (std::size_t n = 0, at = 0; n < length; ++n) {
        do
            out += prose[at], at = (at + 1) % prose.size();
        while ((static_cast<unsigned char>(prose[at]) & 0xC0) == 0x80);
    }
    return out;
}

// Prose in the default alphabet with many of its accented letters and extension characters.
inline constexpr std::string_view kAccented =
    "Señor Müller traf Åse und Øystein in Malmö: Café für 5€ [Ärger] {müde}, déjà vu à Zürich; "
    "Ñoño über Ålesund, ¿qué? ¡Olé! Æbleskiver ß Ça ò ì ù É Ö Ü ä ñ ø æ £¥§ ";
// Portuguese prose that needs the Portuguese tables.
inline constexpr std::string_view kPortuguese =
    "Não há ações sem coração: João e Conceição viajarão à Amazônia, você também? Preço: 5€. "
    "Informações no próximo ônibus, às três horas. ";
// English with an emoji every few words (each a surrogate pair in UCS-2).
inline constexpr std::string_view kEmoji =
    "Hi 👋 the party is at 8 🎉 bring snacks 🍕 and drinks 🥤 see you there 😀 ";

// UCS-2 text: `length` characters, high octet first, as raw octets.
inline std::string ucs2_octets(std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i) {
        const std::uint16_t ch = static_cast<std::uint16_t>(i % 7 == 6 ? 0x0020 : 0x0410 + (i * 5) % 48);
        out += static_cast<char>(ch >> 8);
        out += static_cast<char>(ch & 0xFF);
    }
    return out;
}

inline std::string hex(std::string_view octets) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : octets) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0x0F];
    }
    return out;
}

inline std::string octet_hex(unsigned value) { return hex(std::string(1, static_cast<char>(value))); }

// GSM codes of a text, through the library's own mapping.
inline std::string gsm_codes(const std::string &text) {
    std::vector<unsigned char> codes(918);
    const std::uint32_t n = encode_ascii_to_gsm0338(text.data(), static_cast<std::uint32_t>(text.size()),
                                                    codes.data(), static_cast<std::uint32_t>(codes.size()), 0);
    return std::string(reinterpret_cast<const char *>(codes.data()), n);
}

// Septets packed least significant bit first after `fill` zero bits.
inline std::string pack_septets(std::string_view codes, unsigned fill) {
    std::string out((7 * codes.size() + fill + 7) / 8, '\0');
    std::size_t bit = fill;
    for (unsigned char code : codes)
        for (unsigned b = 0; b < 7; ++b, ++bit)
            if ((code >> b) & 1)
                out[bit / 8] = static_cast<char>(out[bit / 8] | (1 << (bit % 8)));
    return out;
}

inline constexpr std::string_view kSmsc = "07912143658709F1";  // service centre +12345678901
inline constexpr std::string_view kSender = "0B912143658709F1";  // TP-OA, 11 digits, international
inline constexpr std::string_view kScts = "12204131605080";
inline constexpr std::string_view kConcatHeader = "0500032A";   // UDHL 5, IEI 0, IEDL 3, reference 42

// SMS-DELIVER, GSM 7-bit, one part (no header) or part `part` of `parts` (header, one fill bit).
inline std::string deliver_7bit(const std::string &text, unsigned part = 0, unsigned parts = 0) {
    const std::string codes = gsm_codes(text);
    std::string pdu = std::string(kSmsc) + (parts ? "44" : "04") + std::string(kSender) + "0000" + std::string(kScts);
    if (parts == 0)
        return pdu + octet_hex(static_cast<unsigned>(codes.size())) + hex(pack_septets(codes, 0));
    return pdu + octet_hex(static_cast<unsigned>(7 + codes.size())) + std::string(kConcatHeader) + octet_hex(parts) +
           octet_hex(part) + hex(pack_septets(codes, 1));
}

// SMS-DELIVER, UCS-2 (TP-DCS 0x08), TP-UDL in octets.
inline std::string deliver_ucs2(const std::string &octets) {
    return std::string(kSmsc) + "04" + std::string(kSender) + "0008" + std::string(kScts) +
           octet_hex(static_cast<unsigned>(octets.size())) + hex(octets);
}

inline constexpr std::string_view kCdmaSender = "07812143658709F1210214130605";  // address, then time stamp

// 3GPP2 deliver layout, 7-bit (encoding 2): teleservice 4098 alone, 4101 with the concatenation header.
inline std::string cdma_7bit(const std::string &text, unsigned part = 0, unsigned parts = 0) {
    const std::string codes = gsm_codes(text);
    std::string pdu = std::string(kCdmaSender) + (parts ? "1005" : "1002") + "0002";
    if (parts == 0)
        return pdu + octet_hex(static_cast<unsigned>(codes.size())) + hex(pack_septets(codes, 0));
    return pdu + octet_hex(static_cast<unsigned>(7 + codes.size())) + std::string(kConcatHeader) + octet_hex(parts) +
           octet_hex(part) + hex(pack_septets(codes, 1));
}

// 3GPP2 deliver layout, UCS-2 (encoding 4), length in 16-bit characters.
inline std::string cdma_ucs2(const std::string &octets) {
    return std::string(kCdmaSender) + "10020004" + octet_hex(static_cast<unsigned>(octets.size() / 2)) + hex(octets);
}

// A record ready for sms_encode_pdus: destination 12345 (0x81), callback 678 (0x81).
inline void address(sms_message &sms) {
    std::memcpy(sms.dst_telnum, "12345", 5);
    sms.dst_telnum_len = 5;
    sms.dst_telnum_type = 0x81;
    std::memcpy(sms.telnum, "678", 3);
    sms.telnum_len = 3;
    sms.telnum_type = 0x81;
}

// sms_encode_pdus replaces text by GSM codes, so every encode places the text anew.
inline void place_text(sms_message &sms, const std::string &text) {
    std::memcpy(sms.text, text.data(), text.size());
    sms.text_len = static_cast<std::uint32_t>(text.size());
}

inline std::size_t pdu_text_length(const sms_message &sms) {
    std::size_t total = 0;
    for (std::uint32_t i = 0; i < sms.pdu_count; ++i)
        total += sms.pdus[i].pdu_len;
    return total;
}

}  // namespace corpus
