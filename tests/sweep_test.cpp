// SPDX-License-Identifier: Apache-2.0
// Through both libraries' public calls: small domains swept whole (every TP-DCS value, 7-bit header length with its
// fill bits, and output capacity up to what a call needs and one more: bytes, PDUs, field map entries), and the
// records of decode.jsonl dumped against a golden file. libvelmora.so.2's behaviour is frozen in golden files;
// libvelmora-sms is held to its header's promises.
#include <algorithm>

#include "support.h"

namespace {

const std::string kHello = "hello";

// An SMS-DELIVER from +12345678901 behind an empty service-centre address: TP-DCS, TP-UDL, TP-UD, and
// TP-UDHI when `header`.
std::string deliver(int dcs, std::size_t udl, const std::string &user_data, bool header = false) {
    return vt::bytes(header ? "00440B912143658709F100" : "00040B912143658709F100") + static_cast<char>(dcs) +
           vt::bytes("12204131605080") + static_cast<char>(udl) + user_data;
}

// libvelmora-sms's record of a PDU's octets.
struct Decoded {
    velmora_status status;
    std::unique_ptr<velmora_message> m = vt::message();
    explicit Decoded(const std::string &pdu) {
        status = velmora_decode(reinterpret_cast<const std::uint8_t *>(pdu.data()), pdu.size(), 0, m.get(), nullptr);
    }
    std::string text() const { return std::string(m->text, m->text_length); }
    std::string data() const { return std::string(reinterpret_cast<const char *>(m->data), m->data_length); }
};

// velmora_encode of a text into at most four PDUs, each read back.
std::vector<Decoded> encoded(const std::string &text, const velmora_submit_options &o) {
    std::vector<velmora_pdu> pdus(4);
    velmora_pdu_init(pdus.data(), pdus.size());
    std::size_t count = 0;
    EXPECT_EQ(velmora_encode(text.data(), text.size(), &o, pdus.data(), pdus.size(), &count, nullptr), VELMORA_OK);
    std::vector<Decoded> parts;
    for (std::size_t i = 0; i < std::min(count, pdus.size()); ++i)
        EXPECT_EQ(parts.emplace_back(vt::bytes(pdus[i].hex)).status, VELMORA_OK);
    return parts;
}

// libvelmora.so.2's record of the same PDU.
struct CompatDecoded {
    int status;
    sms_message record{};
    explicit CompatDecoded(const std::string &pdu) {
        const std::string hex = vt::hex(pdu);
        status = sms_decode_pdu(hex.c_str(), static_cast<std::uint32_t>(hex.size()), &record, 0);
    }
};

// Sending options to 12345, the rest as velmora_submit_options_init leaves them.
velmora_submit_options to_12345() {
    velmora_submit_options o;
    velmora_submit_options_init(&o);
    o.to = "12345";
    return o;
}

// libvelmora.so.2's record of "hello" to 12345, 3GPP2 callback number 678.
sms_message compat_hello() { return *vt::addressed({}, 0, kHello); }

// The user data "hello" in an alphabet, with its TP-UDL.
std::pair<std::size_t, std::string> hello_in(int alphabet) {
    if (alphabet == VELMORA_ALPHABET_GSM7)
        return {kHello.size(), vt::pack_septets(kHello, 0)};
    const std::string octets = alphabet == VELMORA_ALPHABET_UCS2 ? vt::bytes("00680065006C006C006F") : kHello;
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
        sms_message sms = compat_hello();
        sms.data_coding = static_cast<std::uint32_t>(dcs);
        char pdu[SMS_PDU_CAPACITY];
        ASSERT_GT(sms_encode_pdu(&sms, pdu, sizeof pdu, 0, 0, 0, 0), 0);
        auto submit = vt::message();
        ASSERT_EQ(velmora_decode_hex(pdu, std::strlen(pdu), 0, submit.get(), nullptr), VELMORA_OK);
        EXPECT_EQ(submit->dcs, dcs);
        if (m.alphabet == VELMORA_ALPHABET_GSM7 && text) {
            EXPECT_EQ(std::string(submit->text), kHello);
        }
    }
    // velmora_encode writes the general group: each alphabet, without and with each class.
    for (int alphabet : {VELMORA_ALPHABET_GSM7, VELMORA_ALPHABET_8BIT, VELMORA_ALPHABET_UCS2})
        for (int message_class = -1; message_class <= 3; ++message_class) {
            velmora_submit_options o = to_12345();
            o.alphabet = static_cast<std::uint8_t>(alphabet);
            o.message_class = static_cast<std::int8_t>(message_class);
            const std::vector<Decoded> parts = encoded(kHello, o);
            ASSERT_EQ(parts.size(), 1u);
            const velmora_message &m = *parts[0].m;
            EXPECT_EQ(std::tie(m.alphabet, m.message_class), std::tie(alphabet, message_class));
            EXPECT_EQ(alphabet == VELMORA_ALPHABET_8BIT ? parts[0].data() : parts[0].text(), kHello);
            lines[m.dcs] += " velmora_encode";
        }
    std::string output;
    for (const std::string &line : lines)
        output += line + "\n";
    vt::expect_golden("dcs_sweep.txt", output);
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
        const std::string pdu = deliver(0, 160, header + vt::pack_septets(text, static_cast<unsigned>(fill)), true);
        const Decoded d(pdu);
        const CompatDecoded compat(pdu);
        // A header of one octet holds no whole element: ignored, with a warning, the text read.
        EXPECT_EQ(d.status, VELMORA_OK);
        EXPECT_EQ(d.m->warnings, udhl == 1 ? VELMORA_WARNING_HEADER_ELEMENT : 0u);
        EXPECT_EQ(d.m->udh_length, udhl);
        EXPECT_EQ(d.m->element_count, udhl > 1 ? 1 : 0);
        EXPECT_EQ(d.text(), text);
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
                velmora_submit_options o = to_12345();
                o.port_bits = static_cast<std::uint8_t>(port_bits);
                o.reference_bits = static_cast<std::uint8_t>(reference_bits);
                o.languages = VELMORA_LANGUAGE_BIT(VELMORA_LANG_TURKISH) | VELMORA_LANGUAGE_BIT(VELMORA_LANG_SPANISH);
                const std::vector<Decoded> parts = encoded(payload, o);
                const std::size_t count = parts.size();
                std::string joined, line = "ports=" + std::to_string(port_bits) + " reference_bits=" +
                                           std::to_string(reference_bits) + " parts=" + std::to_string(count) + ":";
                for (std::size_t i = 0; i < count; ++i) {
                    const velmora_message &m = *parts[i].m;
                    const std::size_t element_sizes = (port_bits ? 2 + port_bits / 4 : 0) +
                                                      (count > 1 ? 2 + 2 + reference_bits / 8 : 0) +
                                                      (m.locking_shift ? 3 : 0) + (m.single_shift ? 3 : 0);
                    EXPECT_EQ(m.udh_length, element_sizes);
                    EXPECT_TRUE(i + 1 == count || m.user_data_length >= 159) << "part " << i + 1 << " not full";
                    joined += parts[i].text();
                    const std::size_t fill = m.udh_length ? (7 - (m.udh_length + 1) * 8 % 7) % 7 : 0;
                    line += " udhl=" + std::to_string(m.udh_length) + " fill=" + std::to_string(fill) +
                            " udl=" + std::to_string(m.user_data_length) + " shifts=" + std::to_string(m.locking_shift) +
                            "/" + std::to_string(m.single_shift);
                }
                EXPECT_EQ(joined, payload);
                output += line + "\n";
            }
    vt::expect_golden("udhl_sweep.txt", output);
}

// A call writing at most `capacity` bytes to `out`; its result.
using Writer = std::function<long long(char *out, std::size_t capacity)>;

struct Outcome {
    long long result;
    std::size_t matching;  // leading bytes as the whole output has them
};

// The call at every capacity from 0 to the one its whole output needs and one more, into a
// buffer followed by guard bytes that must not change.
std::vector<Outcome> capacities(const Writer &call, std::string &whole) {
    constexpr std::size_t kLarge = 2048;
    vt::Guarded large(kLarge);
    const long long result = call(large.c(), kLarge);
    whole = large.bytes.substr(0, large.bytes.find_last_not_of(std::string{vt::Guarded::kFill, '\0'}) + 1);
    std::vector<Outcome> outcomes;
    for (std::size_t capacity = 0, need = kLarge; capacity <= need + 1; ++capacity) {
        vt::Guarded out(capacity);
        const Outcome o{call(out.c(), capacity), static_cast<std::size_t>(std::mismatch(whole.begin(), whole.end(),
                                                                                        out.bytes.begin()).first -
                                                                          whole.begin())};
        EXPECT_TRUE(out.guard_kept()) << "capacity " << capacity;
        if (need == kLarge && o.result == result && o.matching == whole.size() && capacity >= whole.size())
            need = capacity;
        outcomes.push_back(o);
    }
    return outcomes;
}

// "capacity 0-9: -1 0" for each run of capacities with the same result and matching bytes.
std::string runs(const std::string &name, const std::vector<Outcome> &outcomes) {
    std::string line = name;
    for (std::size_t from = 0, to; from < outcomes.size(); from = to) {
        for (to = from; to < outcomes.size() && outcomes[to].result == outcomes[from].result &&
                        outcomes[to].matching == outcomes[from].matching;)
            ++to;
        line += " | capacity " + std::to_string(from) + (to - from > 1 ? "-" + std::to_string(to - 1) : "") +
                ": result " + std::to_string(outcomes[from].result) + ", " + std::to_string(outcomes[from].matching) +
                " bytes";
    }
    return line + "\n";
}

// libvelmora.so.2's calls that take a capacity, each at every capacity.
TEST(SweepTest, EveryCompatibilityCapacity) {
    const sms_message sms = compat_hello();
    const std::string septets = vt::pack_septets(kHello + "!!", 0), codes = vt::bytes("611B3C621B3E63");
    const auto u = [](const std::string &s) { return reinterpret_cast<const unsigned char *>(s.data()); };
    const auto o = [](char *out) { return reinterpret_cast<unsigned char *>(out); };
#define VT_CALL(name, call) \
    {name, [&](char *out, std::size_t cap) { const auto c = static_cast<std::uint32_t>(cap); return call; }}
    const std::pair<const char *, Writer> calls[] = {
        VT_CALL("convert_hexarray_to_bytestr", convert_hexarray_to_bytestr(u(codes), 7, out, c)),
        VT_CALL("convert_bytestr_to_hexarray", convert_bytestr_to_hexarray("611B3C621B3E63", 14, o(out), c, 0)),
        VT_CALL("encode_ascii_to_gsm0338", encode_ascii_to_gsm0338("a[b]c", 5, o(out), c, 0)),
        VT_CALL("decode_gsm0338_to_ascii", decode_gsm0338_to_ascii(u(codes), 7, out, c)),
        VT_CALL("decode7", decode7(u(septets), 7, o(out), c, 0)),
        VT_CALL("sms_encode_pdu", sms_encode_pdu(&sms, out, c, 0, 0, 0, 0)),
        VT_CALL("sms_encode_3gpp2_pdu", sms_encode_3gpp2_pdu(&sms, out, c, 0, 0, 0, 0)),
        VT_CALL("sms_encode_pdu part 2 of 2", sms_encode_pdu(&sms, out, c, 2, 2, 0x17, 0)),
        VT_CALL("sms_encode_3gpp2_pdu part 2 of 2", sms_encode_3gpp2_pdu(&sms, out, c, 2, 2, 0x17, 0)),
    };
#undef VT_CALL
    std::string output, whole;
    for (const auto &[name, call] : calls) {
        SCOPED_TRACE(name);
        const std::vector<Outcome> outcomes = capacities(call, whole);
        const bool printable = std::all_of(whole.begin(), whole.end(), [](char c) { return c >= ' ' && c <= '~'; });
        output += runs(std::string(name) + " " + (printable ? "\"" + whole + "\"" : vt::hex(whole)), outcomes);
    }
    vt::expect_golden("capacity_sweep.txt", output);
}

// libvelmora-sms: velmora_encode at every capacity of PDUs, the joined text and data at
// every capacity of bytes; what does not fit is not written.
TEST(SweepTest, EveryReassemblyAndEncodeCapacity) {
    const velmora_submit_options o = to_12345();
    const std::string text = "Grüße 👋 " + std::string(140, 'x') + " Привет 👋 мир", data(300, '\x5A');
    std::vector<double> storage(velmora_reassembly_storage_size(8) / sizeof(double) + 1);
    velmora_reassembly r;
    ASSERT_EQ(velmora_reassembly_init(&r, storage.data(), storage.size() * sizeof(double)), VELMORA_OK);
    std::vector<velmora_group> groups(2);
    velmora_group_init(groups.data(), 2);
    for (int k = 0; k < 2; ++k) {
        const auto encode = [&](velmora_pdu *pdus, std::size_t capacity, std::size_t *made) {
            return k ? velmora_encode_data(reinterpret_cast<const std::uint8_t *>(data.data()), data.size(), &o, pdus,
                                           capacity, made, nullptr)
                     : velmora_encode(text.data(), text.size(), &o, pdus, capacity, made, nullptr);
        };
        std::size_t count = 0;
        ASSERT_EQ(encode(nullptr, 0, &count), VELMORA_E_NO_ROOM);
        ASSERT_EQ(count, 3u);
        for (std::size_t capacity = 0; capacity <= count + 1; ++capacity) {
            SCOPED_TRACE(capacity);
            vt::Guarded bytes(capacity * sizeof(velmora_pdu));
            auto *pdus = reinterpret_cast<velmora_pdu *>(bytes.c());
            velmora_pdu_init(pdus, capacity);
            const std::string initialised = bytes.bytes;
            std::size_t made = 0;
            const velmora_status status = encode(pdus, capacity, &made);
            EXPECT_EQ(status, capacity < count ? VELMORA_E_NO_ROOM : VELMORA_OK);
            EXPECT_EQ(made, count);
            const std::size_t written = status == VELMORA_OK ? count * sizeof(velmora_pdu) : 0;
            EXPECT_EQ(bytes.bytes.substr(written), initialised.substr(written)) << "written past the PDUs made";
            for (std::size_t i = 0; i < made && status == VELMORA_OK; ++i) {
                auto m = vt::message();
                ASSERT_EQ(velmora_decode_hex(pdus[i].hex, pdus[i].hex_length, 0, m.get(), nullptr), VELMORA_OK);
                if (capacity == count)
                    velmora_reassembly_add(&r, m.get(), static_cast<std::uint64_t>(k), &groups[k]);
            }
        }
        ASSERT_EQ(groups[k].present, 3);
    }
    // The whole text or data, then at every capacity its first bytes, the text's NUL when
    // there is room for it, its whole length, and nothing written past the capacity.
    const std::pair<std::string, Writer> joins[] = {
        {text, [&](char *out, std::size_t cap) {
             std::size_t length = 0;
             EXPECT_EQ(velmora_reassembly_text(&r, &groups[0], out, cap, &length), VELMORA_OK);
             EXPECT_TRUE(length >= cap || out[length] == '\0') << "no NUL with room for it";
             return static_cast<long long>(length); }},
        {data, [&](char *out, std::size_t cap) {
             std::size_t length = 0;
             EXPECT_EQ(velmora_reassembly_data(&r, &groups[1], reinterpret_cast<std::uint8_t *>(out), cap, &length),
                       VELMORA_OK);
             return static_cast<long long>(length); }},
    };
    for (const auto &[whole_payload, call] : joins) {
        std::string whole;
        const std::vector<Outcome> outcomes = capacities(call, whole);
        EXPECT_EQ(whole, whole_payload);
        ASSERT_EQ(outcomes.size(), whole.size() + 2);
        for (std::size_t capacity = 0; capacity < outcomes.size(); ++capacity) {
            EXPECT_EQ(outcomes[capacity].result, static_cast<long long>(whole.size()));
            EXPECT_EQ(outcomes[capacity].matching, std::min(capacity, whole.size())) << capacity;
        }
    }
}

// velmora_explain_hex of a part (concatenation and locking-shift elements, fill bits, text)
// at every capacity of fields: the entries that fit as at full capacity, the count of all,
// nothing written past the capacity. What each entry says: the tool's golden file.
TEST(SweepTest, EveryFieldMapCapacity) {
    const std::string part = "0041000791942143F50000120800038C0202250101A0D3E9743A9D0E";
    const auto explained = [&](std::size_t capacity, std::size_t &count) {
        std::vector<velmora_field> fields(capacity + 1);
        std::memset(fields.data(), 0xA5, fields.size() * sizeof fields[0]);
        velmora_field_init(fields.data(), capacity);
        velmora_explain_hex(part.data(), part.size(), 0, nullptr, fields.data(), capacity, &count, nullptr);
        return fields;
    };
    const auto same = [](const velmora_field &a, const velmora_field &b) {
        return std::tie(a.kind, a.level, a.first_bit, a.bit_count, a.offset, a.length) ==
                   std::tie(b.kind, b.level, b.first_bit, b.bit_count, b.offset, b.length) &&
               std::string(a.name) == b.name && std::string(a.meaning) == b.meaning;
    };
    std::size_t all = 0;
    const auto full = explained(64, all);
    ASSERT_GT(all, 12u);  // fields, the eight first-octet entries and the header's parts
    for (std::size_t capacity = 0, count = 0; capacity <= all + 1; ++capacity) {
        const auto fields = explained(capacity, count);
        EXPECT_EQ(count, all);
        for (std::size_t i = 0; i < std::min(capacity, all); ++i)
            EXPECT_TRUE(same(fields[i], full[i])) << capacity << " " << i;
        const std::string guard(sizeof fields[0], '\xA5');
        EXPECT_EQ(vt::hex(&fields[capacity], sizeof fields[0]), vt::hex(guard)) << "written past " << capacity;
    }
}

std::string time_of(const velmora_time &t) {
    char out[48];
    std::snprintf(out, sizeof out, "%04u-%02u-%02u %02u:%02u:%02u offset=%d%s", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.utc_offset, t.has_utc_offset ? "" : " (none)");
    return out;
}

std::string address_of(const velmora_address &a) {
    return "\"" + std::string(a.text) + "\" type=" + std::to_string(a.type) + " ton=" + std::to_string(a.ton) +
           " npi=" + std::to_string(a.npi) + " length=" + std::to_string(a.length);
}

std::string waiting_of(const velmora_waiting &w) {
    return "kind=" + std::to_string(w.kind) + " active=" + std::to_string(w.active) +
           " store=" + std::to_string(w.store) + " count=" + std::to_string(w.count);
}

std::string elements_of(const velmora_message &m) {
    std::string out;
    for (unsigned i = 0; i < m.element_count; ++i)
        out += (i ? " " : "") + std::to_string(m.elements[i].iei) + ":" + std::to_string(m.elements[i].length) + "@" +
               std::to_string(m.elements[i].offset);
    return out;
}

// What decoding sets, one member a line; members appended to velmora_message go at the end.
using Member = std::pair<const char *, std::function<std::string(const velmora_message &)>>;
#define NUMBER(member) Member{#member, [](const velmora_message &m) { return std::to_string(m.member); }}
#define SHOWN(member, how) Member{#member, [](const velmora_message &m) { return how(m.member); }}
const Member kMembers[] = {
    Member{"present", [](const velmora_message &m) {
        char bits[12];
        std::snprintf(bits, sizeof bits, "0x%04X", m.present);
        return std::string(bits);
    }},
    NUMBER(format), NUMBER(type), NUMBER(first_octet), NUMBER(more_messages),
    NUMBER(loop_prevention), NUMBER(reject_duplicates), NUMBER(reply_path), NUMBER(udhi), NUMBER(status_report),
    NUMBER(status_report_qualifier), NUMBER(message_reference), NUMBER(pid),
    SHOWN(smsc, address_of), SHOWN(originator, address_of), SHOWN(recipient, address_of),
    NUMBER(dcs), NUMBER(alphabet), NUMBER(message_class), NUMBER(compressed), NUMBER(auto_delete),
    SHOWN(dcs_waiting, waiting_of), SHOWN(timestamp, time_of), SHOWN(discharge_time, time_of),
    NUMBER(validity_format), NUMBER(validity_single_shot),
    Member{"validity_raw", [](const velmora_message &m) { return vt::hex(m.validity_raw, 7); }},
    NUMBER(validity_seconds), SHOWN(validity_until, time_of), NUMBER(status), NUMBER(status_category),
    NUMBER(parameter_indicator), NUMBER(teleservice), NUMBER(priority), NUMBER(user_data_length),
    NUMBER(reference_bits), NUMBER(reference), NUMBER(part), NUMBER(parts), NUMBER(port_bits),
    NUMBER(destination_port), NUMBER(source_port), NUMBER(locking_shift), NUMBER(single_shift),
    SHOWN(special, waiting_of), NUMBER(udh_length), NUMBER(element_count), NUMBER(text_length), NUMBER(data_length),
    Member{"udh", [](const velmora_message &m) { return vt::hex(m.udh, m.udh_length); }},
    Member{"elements", elements_of},
    Member{"text", [](const velmora_message &m) { return "\"" + std::string(m.text, m.text_length) + "\""; }},
    Member{"data", [](const velmora_message &m) { return vt::hex(m.data, m.data_length); }},
    NUMBER(warnings), NUMBER(first_warning), NUMBER(warning_offset),
    Member{"warning_field", [](const velmora_message &m) { return "\"" + std::string(m.warning_field) + "\""; }},
    Member{"timestamp_raw", [](const velmora_message &m) { return vt::hex(m.timestamp_raw, 7); }},
    Member{"discharge_time_raw", [](const velmora_message &m) { return vt::hex(m.discharge_time_raw, 7); }},
};

std::string dump(velmora_status status, const velmora_error &e, const velmora_message &m) {
    std::string out = "status=" + std::string(velmora_status_message(status)) + " offset=" + std::to_string(e.offset) +
                      " field=\"" + e.field + "\"\n";
    for (const auto &[name, shown] : kMembers)
        out += std::string(name) + "=" + shown(m) + "\n";
    return out;
}

std::string field(const std::string &line, const std::string &key) {
    const std::size_t at = line.find("\"" + key + "\": \"");
    return at == std::string::npos ? "" : line.substr(at + key.size() + 5, line.find('"', at + key.size() + 5) - at - key.size() - 5);
}

TEST(RecordDumpTest, DecodeVectors) {
    std::istringstream rows(vt::read_file("vectors/decode.jsonl"));
    std::string output;
    int number = 0, decoded = 0;
    for (std::string line; std::getline(rows, line);) {
        ++number;
        if (line[0] == '#')
            continue;
        const std::string hex = field(line, "pdu");
        const unsigned flags = (line.find("--no-smsc") != std::string::npos ? VELMORA_NO_SMSC : 0u) |
                               (line.find("--cdma") != std::string::npos ? VELMORA_CDMA : 0u);
        SCOPED_TRACE("decode.jsonl:" + std::to_string(number));
        auto m = vt::message(0xA5);
        velmora_error e = VELMORA_ERROR_INIT;
        const std::string text_dump = dump(velmora_decode_hex(hex.data(), hex.size(), flags, m.get(), &e), e, *m);
        // The octets themselves, where the row is hex, in a block of their exact size.
        if (hex.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos && hex.size() % 2 == 0) {
            const std::string pdu = vt::bytes(hex);
            const auto exact = std::make_unique<std::uint8_t[]>(pdu.size());
            std::memcpy(exact.get(), pdu.data(), pdu.size());
            auto octet_record = vt::message(0x5A);
            const velmora_status status = velmora_decode(exact.get(), pdu.size(), flags, octet_record.get(), &e);
            EXPECT_EQ(dump(status, e, *octet_record), text_dump);
            ++decoded;
        }
        output += "# decode.jsonl:" + std::to_string(number) + " flags=" + std::to_string(flags) + " " + hex + "\n" +
                  text_dump + "\n";
    }
    EXPECT_GT(decoded, 60);
    vt::expect_golden("decode_records.txt", output);
}

}  // namespace
