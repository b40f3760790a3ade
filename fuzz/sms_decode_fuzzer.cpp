// SPDX-License-Identifier: Apache-2.0
// velmora_decode and velmora_decode_hex over any input: the first byte picks the flags, the rest is the PDU, as
// octets, as the hex text of those octets, and as text itself, each in a heap block of exactly its size. A record
// full of garbage decodes as a cleared one would. VELMORA_STRICT fails where the first warning stands, and where it
// succeeds the message is the one decoded without it. The text also goes through the modem output reader.
#include "codec/utf8.h"
#include "fuzz.h"

namespace {

bool valid_utf8(std::string_view text) {
    char32_t cp;
    for (std::size_t at = 0, n; at < text.size(); at += n)
        if ((n = velmora::next_utf8(text, at, cp)) == 0)
            return false;
    return true;
}

// The record as the contract has it: statuses and offsets in range, the arrays within
// their capacities, every text UTF-8 and ended by its NUL.
void check(const velmora_message &m, velmora_status status, const velmora_error &e, std::size_t octets,
           unsigned flags) {
    FUZZ_CHECK(status == e.status && e.offset <= octets && (status == VELMORA_OK) == (e.field[0] == '\0'));
    const bool both_directions = (flags & VELMORA_FROM_NETWORK) && (flags & VELMORA_TO_NETWORK);
    FUZZ_CHECK((status == VELMORA_E_ARGUMENT) == both_directions && status <= VELMORA_E_BAD_ELEMENT);
    FUZZ_CHECK(m.text_length < VELMORA_TEXT_CAPACITY && m.text[m.text_length] == '\0');
    FUZZ_CHECK(valid_utf8({m.text, m.text_length}) && m.data_length <= VELMORA_DATA_CAPACITY);
    FUZZ_CHECK(m.udh_length <= VELMORA_UDH_CAPACITY && m.element_count <= VELMORA_ELEMENT_CAPACITY);
    for (std::uint32_t i = 0; i < m.element_count; ++i)
        FUZZ_CHECK(m.elements[i].offset + m.elements[i].length <= m.udh_length);
    for (const velmora_address *a : {&m.smsc, &m.originator, &m.recipient})
        FUZZ_CHECK(std::memchr(a->text, '\0', sizeof a->text) != nullptr && valid_utf8(a->text));
    FUZZ_CHECK(m.part <= m.parts && (m.reference_bits == 0) == (m.part == 0));
    FUZZ_CHECK((m.warnings == 0) == (m.first_warning == 0) && (m.warnings & m.first_warning) == m.first_warning);
    FUZZ_CHECK(m.warning_field != nullptr && (m.warnings == 0) == (m.warning_field[0] == '\0'));
    for (std::uint32_t bit = 1; bit != 0; bit <<= 1)
        FUZZ_CHECK(!(m.warnings & bit) || velmora_warning_name(bit) != nullptr);
}

// Two records hold the same message: every field, and the arrays as far as their lengths go.
bool same_message(const velmora_message &a, const velmora_message &b) {
    const auto same = [](const void *x, const void *y, std::size_t n) { return std::memcmp(x, y, n) == 0; };
    return same(&a, &b, offsetof(velmora_message, udh)) && same(a.udh, b.udh, a.udh_length) &&
           same(a.elements, b.elements, a.element_count * sizeof a.elements[0]) &&
           same(a.text, b.text, a.text_length + 1) && same(a.data, b.data, a.data_length);
}

// The same PDU decoded with VELMORA_STRICT: it fails as the first warning when there was one,
// and otherwise reads the same message with the same result.
void check_strict(const std::uint8_t *pdu, std::size_t size, unsigned flags, const velmora_message &tolerant,
                  velmora_status tolerant_status, const velmora_error &tolerant_error) {
    const auto strict = std::make_unique<velmora_message>();
    velmora_message_init(strict.get());
    velmora_error e = VELMORA_ERROR_INIT;
    const velmora_status status = velmora_decode(pdu, size, flags | VELMORA_STRICT, strict.get(), &e);
    if (tolerant.warnings != 0) {
        FUZZ_CHECK(status != VELMORA_OK && e.offset == tolerant.warning_offset);
        FUZZ_CHECK(std::strcmp(e.field, tolerant.warning_field) == 0);
        return;
    }
    FUZZ_CHECK(status == tolerant_status && e.offset == tolerant_error.offset && strict->warnings == 0);
    if (status == VELMORA_OK)
        FUZZ_CHECK(same_message(*strict, tolerant) &&
                   std::memcmp(strict->timestamp_raw, tolerant.timestamp_raw, sizeof strict->timestamp_raw) == 0);
}

// The text as modem output, one line after another: every entry is one of the kinds, with a
// message that holds to the contract when it is one.
void read_as_modem_output(std::string_view text, unsigned flags) {
    velmora_modem_reader reader;
    FUZZ_CHECK(velmora_modem_reader_init(&reader, flags) == VELMORA_OK);
    velmora_modem_entry entry;
    velmora_modem_entry_init(&entry);
    const auto message = std::make_unique<velmora_message>();
    velmora_message_init(message.get());
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const fuzz::Exact line(text.substr(at, end - at), false);
        FUZZ_CHECK(velmora_modem_feed(&reader, line.c(), line.size) == VELMORA_OK);
        velmora_error e = VELMORA_ERROR_INIT;
        for (int entries = 0;; ++entries) {
            const velmora_modem_kind kind = velmora_modem_next(&reader, &entry, message.get(), &e);
            FUZZ_CHECK(kind <= VELMORA_MODEM_ERROR && kind == entry.kind && entries <= 2 * static_cast<int>(line.size) + 2);
            if (kind == VELMORA_MODEM_NONE)
                break;
            if (kind == VELMORA_MODEM_MESSAGE)
                check(*message, VELMORA_OK, e, line.size, flags & VELMORA_CDMA);
        }
        at = end + 1;
    }
}

// The field map of the same octets: the decoding's status and record, top-level fields one
// after another inside the PDU, parts inside their field, bits inside an octet, meanings UTF-8.
void check_field_map(const fuzz::Exact &octets, unsigned flags, velmora_status status, const velmora_message &decoded) {
    velmora_field fields[96];
    velmora_field_init(fields, 96);
    const auto explained = std::make_unique<velmora_message>();
    velmora_message_init(explained.get());
    std::size_t count = 0;
    FUZZ_CHECK(velmora_explain(octets.u(), octets.size, flags, explained.get(), fields, 96, &count, nullptr) == status);
    FUZZ_CHECK(same_message(*explained, decoded) && count <= 96);
    std::size_t next = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const velmora_field &f = fields[i];
        FUZZ_CHECK(f.offset + f.length <= octets.size && f.first_bit + f.bit_count <= 8 && f.level <= 1);
        FUZZ_CHECK(std::memchr(f.meaning, '\0', sizeof f.meaning) != nullptr && valid_utf8(f.meaning));
        if (f.level == 0 && f.kind == VELMORA_FIELD_READ)
            FUZZ_CHECK(f.offset == next), next = f.offset + f.length;
    }
    if (status != VELMORA_E_ARGUMENT)
        FUZZ_CHECK(count > 0 && (status == VELMORA_OK) == (fields[count - 1].kind == VELMORA_FIELD_READ));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const unsigned flags = input.take(1) & (VELMORA_NO_SMSC | VELMORA_CDMA | VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK);
    const std::string_view pdu = input.rest();
    std::string hex;
    for (const unsigned char octet : pdu)
        hex += "0123456789abcdef"[octet >> 4], hex += "0123456789abcdef"[octet & 15];
    const fuzz::Exact octets(pdu, false), hex_text(hex, false), as_text(pdu, false);

    const auto garbage = std::make_unique<velmora_message>(), cleared = std::make_unique<velmora_message>();
    std::memset(garbage.get(), 0xA5, sizeof *garbage);
    garbage->size = sizeof *garbage;
    velmora_message_init(cleared.get());
    velmora_error e1 = VELMORA_ERROR_INIT, e2 = VELMORA_ERROR_INIT, e3 = VELMORA_ERROR_INIT;
    const velmora_status s1 = velmora_decode(octets.u(), octets.size, flags, garbage.get(), &e1);
    check(*garbage, s1, e1, octets.size, flags);
    const velmora_status s2 = velmora_decode_hex(hex_text.c(), hex_text.size, flags, cleared.get(), &e2);
    FUZZ_CHECK(s1 == s2 && e1.offset == e2.offset && std::strcmp(e1.field, e2.field) == 0);
    FUZZ_CHECK(same_message(*garbage, *cleared));
    check_field_map(octets, flags, s1, *cleared);

    check_strict(octets.u(), octets.size, flags, *garbage, s1, e1);

    const velmora_status s3 = velmora_decode_hex(as_text.c(), as_text.size, flags, cleared.get(), &e3);
    check(*cleared, s3, e3, as_text.size / 2, flags);
    if (!((flags & VELMORA_FROM_NETWORK) && (flags & VELMORA_TO_NETWORK)))
        read_as_modem_output(pdu, flags);
    return 0;
}
