// SPDX-License-Identifier: Apache-2.0
// Small domains swept whole through both libraries' public calls: every TP-DCS value, every
// 7-bit user data header length with its fill bits, every output capacity up to what a call
// needs and one more. What libvelmora.so.2 does is kept in golden files (its behaviour is
// frozen); libvelmora-sms is held to its header's promises.
#include <algorithm>
#include <functional>
#include <vector>

#include "public_api.h"

namespace {

const std::string kHello = "hello";

// Code k takes stream bits fill + 7k .. fill + 7k + 6, octet j holds stream bits 8j .. 8j + 7.
std::string pack_septets(const std::string &codes, unsigned fill) {
    std::string out((7 * codes.size() + fill + 7) / 8, '\0');
    for (std::size_t bit = 0; bit < 7 * codes.size(); ++bit)
        if (static_cast<unsigned char>(codes[bit / 7]) >> bit % 7 & 1)
            out[(fill + bit) / 8] = static_cast<char>(out[(fill + bit) / 8] | 1 << (fill + bit) % 8);
    return out;
}

std::string ucs2(const std::string &ascii) {
    std::string out;
    for (char c : ascii)
        out += std::string(1, '\0') + c;
    return out;
}

// An SMS-DELIVER from +12345678901 behind an empty service-centre address: TP-DCS, TP-UDL, TP-UD, and
// TP-UDHI when `header`.
std::string deliver(int dcs, std::size_t udl, const std::string &user_data, bool header = false) {
    return pt::octets(header ? "00440B912143658709F100" : "00040B912143658709F100") + static_cast<char>(dcs) +
           pt::octets("12204131605080") + static_cast<char>(udl) + user_data;
}

// libvelmora-sms's record of a PDU's octets.
struct Decoded {
    velmora_status status;
    std::unique_ptr<velmora_message> m = pt::message();
    explicit Decoded(const std::string &pdu) {
        status = velmora_decode(reinterpret_cast<const std::uint8_t *>(pdu.data()), pdu.size(), 0, m.get(), nullptr);
    }
    std::string text() const { return std::string(m->text, m->text_length); }
    std::string data() const { return std::string(reinterpret_cast<const char *>(m->data), m->data_length); }
};

// libvelmora.so.2's record of the same PDU.
struct CompatDecoded {
    int status;
    sms_message record{};
    explicit CompatDecoded(const std::string &pdu) {
        const std::string hex = pt::hex(pdu.data(), pdu.size());
        status = sms_decode_pdu(hex.c_str(), static_cast<std::uint32_t>(hex.size()), &record, 0);
    }
};

// The user data "hello" in an alphabet, with its TP-UDL.
std::pair<std::size_t, std::string> hello_in(int alphabet) {
    if (alphabet == VELMORA_ALPHABET_GSM7)
        return {kHello.size(), pack_septets(kHello, 0)};
    const std::string octets = alphabet == VELMORA_ALPHABET_UCS2 ? ucs2(kHello) : kHello;
    return {octets.size(), octets};
}

// Every TP-DCS value: what libvelmora-sms reads from it (its content read back in the
// alphabet it names), whether libvelmora.so.2 reads it, and which encoder writes it.
TEST(SweepTest, EveryDataCodingScheme) {
    std::vector<std::string> lines(256);
    for (int dcs = 0; dcs < 256; ++dcs) {
        SCOPED_TRACE(dcs);
        const auto [udl, user_data] = hello_in(Decoded(deliver(dcs, 0, "")).m->alphabet);
        const Decoded d(deliver(dcs, udl, user_data));
        const CompatDecoded compat(deliver(dcs, udl, user_data));
        const velmora_message &m = *d.m;
        ASSERT_EQ(d.status, VELMORA_OK);
        const bool text = !m.compressed && m.alphabet != VELMORA_ALPHABET_8BIT;
        EXPECT_EQ(m.dcs, dcs);
        EXPECT_EQ((m.present & VELMORA_HAS_TEXT) != 0, text);
        EXPECT_EQ(text ? d.text() : d.data(), text ? kHello : user_data);
        if (compat.status == 0) {
            const std::string compat_text(compat.record.text, compat.record.text_len * (dcs == 8 ? 2 : 1));
            EXPECT_EQ(compat_text, dcs ? user_data : kHello);
        }
        char line[200];
        std::snprintf(line, sizeof line,
                      "0x%02X alphabet=%s class=%d compressed=%u auto_delete=%u waiting=%s active=%u store=%u "
                      "libvelmora.so.2=%s",
                      dcs, velmora_alphabet_name(m.alphabet), m.message_class, m.compressed, m.auto_delete,
                      velmora_waiting_kind_name(m.dcs_waiting.kind), m.dcs_waiting.active, m.dcs_waiting.store,
                      compat.status == 0 ? "reads" : "refuses");
        lines[dcs] = line;

        // sms_encode_pdu writes the value it is given, with the text as septets.
        sms_message sms{};
        std::memcpy(sms.dst_telnum, "12345", sms.dst_telnum_len = 5);
        std::memcpy(sms.text, kHello.data(), sms.text_len = 5);
        sms.dst_telnum_type = 0x81;
        sms.data_coding = static_cast<std::uint32_t>(dcs);
        char pdu[SMS_PDU_CAPACITY];
        ASSERT_GT(sms_encode_pdu(&sms, pdu, sizeof pdu, 0, 0, 0, 0), 0);
        auto submit = pt::message();
        ASSERT_EQ(velmora_decode_hex(pdu, std::strlen(pdu), 0, submit.get(), nullptr), VELMORA_OK);
        EXPECT_EQ(submit->dcs, dcs);
        if (m.alphabet == VELMORA_ALPHABET_GSM7 && text) {
            EXPECT_EQ(std::string(submit->text), kHello);
        }
    }
    // velmora_encode writes the general group: each alphabet, without and with each class.
    for (int alphabet : {VELMORA_ALPHABET_GSM7, VELMORA_ALPHABET_8BIT, VELMORA_ALPHABET_UCS2})
        for (int message_class = -1; message_class <= 3; ++message_class) {
            velmora_submit_options o;
            velmora_submit_options_init(&o);
            o.to = "12345";
            o.alphabet = static_cast<std::uint8_t>(alphabet);
            o.message_class = static_cast<std::int8_t>(message_class);
            velmora_pdu pdu;
            velmora_pdu_init(&pdu, 1);
            std::size_t count = 0;
            ASSERT_EQ(velmora_encode(kHello.data(), kHello.size(), &o, &pdu, 1, &count, nullptr), VELMORA_OK);
            auto m = pt::message();
            ASSERT_EQ(velmora_decode_hex(pdu.hex, pdu.hex_length, 0, m.get(), nullptr), VELMORA_OK);
            EXPECT_EQ(m->alphabet, alphabet);
            EXPECT_EQ(m->message_class, message_class);
            EXPECT_EQ(alphabet == VELMORA_ALPHABET_8BIT ? std::string(m->data, m->data + m->data_length) : m->text,
                      kHello);
            lines[m->dcs] += " velmora_encode";
        }
    std::string output;
    for (const std::string &line : lines)
        output += line + "\n";
    pt::expect_golden("dcs_sweep.txt", output);
}

// Every 7-bit header length: a single element of UDHL - 2 octets (none for UDHL 0), then
// text filling the 160 septets from the first septet boundary after the header.
TEST(SweepTest, EveryHeaderLengthWithItsFillBits) {
    const std::string words = "The quick brown fox jumps over the lazy dog 0123456789 ";
    std::string output;
    for (std::size_t udhl = 0; udhl <= 139; ++udhl) {
        SCOPED_TRACE(udhl);
        const std::size_t header_septets = ((udhl + 1) * 8 + 6) / 7, fill = 7 * header_septets - 8 * (udhl + 1);
        std::string header(1, static_cast<char>(udhl)), text;
        if (udhl >= 2)
            header += std::string{'\x80', static_cast<char>(udhl - 2)};
        for (std::size_t i = header.size(); i <= udhl; ++i)
            header += static_cast<char>(i);
        for (std::size_t i = 0; i < 160 - header_septets; ++i)
            text += words[i % words.size()];
        const std::string pdu = deliver(0, 160, header + pack_septets(text, static_cast<unsigned>(fill)), true);
        const Decoded d(pdu);
        const CompatDecoded compat(pdu);
        EXPECT_EQ(d.status, udhl == 1 ? VELMORA_E_BAD_ELEMENT : VELMORA_OK);
        if (udhl != 1) {
            EXPECT_EQ(d.m->udh_length, udhl);
            EXPECT_EQ(d.m->element_count, udhl ? 1 : 0);
            EXPECT_EQ(d.text(), text);
        }
        const std::string compat_text(compat.record.text, compat.record.text_len);
        output += "udhl=" + std::to_string(udhl) + " fill=" + std::to_string(fill) + " septets=" +
                  std::to_string(text.size()) + " libvelmora.so.2=" +
                  (compat.status != 0 ? "refuses" : compat_text == text ? "reads" : "misreads") + "\n";
    }
    // The headers velmora_encode writes: application ports, the concatenation reference,
    // national language shifts, alone and together; every part but the last full.
    // Turkish has a locking shift table, Spanish a single shift table only.
    const std::string both = "Şu ığdır canción", long_both = std::string(30, 'x') + both + std::string(170, 'y');
    for (int port_bits : {0, 8, 16})
        for (int reference_bits : {8, 16})
            for (const std::string &payload : {kHello, std::string("ığdır"), std::string("canción"), both,
                                               std::string(200, 'a'), long_both}) {
                velmora_submit_options o;
                velmora_submit_options_init(&o);
                o.to = "12345";
                o.port_bits = static_cast<std::uint8_t>(port_bits);
                o.reference_bits = static_cast<std::uint8_t>(reference_bits);
                o.languages = VELMORA_LANGUAGE_BIT(VELMORA_LANG_TURKISH) | VELMORA_LANGUAGE_BIT(VELMORA_LANG_SPANISH);
                std::vector<velmora_pdu> pdus(4);
                velmora_pdu_init(pdus.data(), pdus.size());
                std::size_t count = 0;
                ASSERT_EQ(velmora_encode(payload.data(), payload.size(), &o, pdus.data(), pdus.size(), &count, nullptr),
                          VELMORA_OK);
                std::string joined, line = "ports=" + std::to_string(port_bits) + " reference_bits=" +
                                           std::to_string(reference_bits) + " parts=" + std::to_string(count) + ":";
                for (std::size_t i = 0; i < count; ++i) {
                    const Decoded d(pt::octets(pdus[i].hex));
                    const velmora_message &m = *d.m;
                    ASSERT_EQ(d.status, VELMORA_OK);
                    const std::size_t element_sizes = (port_bits ? 2 + port_bits / 4 : 0) +
                                                      (count > 1 ? 2 + 2 + reference_bits / 8 : 0) +
                                                      (m.locking_shift ? 3 : 0) + (m.single_shift ? 3 : 0);
                    EXPECT_EQ(m.udh_length, element_sizes);
                    EXPECT_TRUE(i + 1 == count || m.user_data_length >= 159) << "part " << i + 1 << " not full";
                    joined += d.text();
                    const std::size_t fill = m.udh_length ? (7 - (m.udh_length + 1) * 8 % 7) % 7 : 0;
                    line += " udhl=" + std::to_string(m.udh_length) + " fill=" + std::to_string(fill) +
                            " udl=" + std::to_string(m.user_data_length) + " shifts=" + std::to_string(m.locking_shift) +
                            "/" + std::to_string(m.single_shift);
                }
                EXPECT_EQ(joined, payload);
                output += line + "\n";
            }
    pt::expect_golden("udhl_sweep.txt", output);
}

}  // namespace
