// sms_encode_pdus over random records: any text, text_len, numbers, lengths, format and
// leftovers in the slots. Every PDU it returns is checked as hex text, then turned into
// the matching received layout (SMS-SUBMIT into SMS-DELIVER, 3GPP2 submit into deliver)
// and decoded again: number, header values and text must come back. The per-part
// encoders are also called directly, with any part arguments and output sizes.
#include <algorithm>
#include <string>

#include "fuzz_support.h"

namespace {

const fuzz::Representable *representable;

// The reference counter advances on every call, so it can be predicted from the last
// reference seen in a concatenation header.
std::uint32_t calls_since_reference = 0;
std::uint32_t last_reference = 0;  // 0: none seen yet

constexpr char kTimeStampGsm[] = "12204131605080";
constexpr char kTimeStamp3gpp2[] = "210214130605";

struct Case {
    sms_message sms;
    int format;
    int debug;
    std::uint32_t out_size;  // for the direct per-part call
    std::uint32_t part_no, part_count, msg_ref;
};

bool numeric(const char *digits, std::uint32_t count) {
    return std::all_of(digits, digits + count, [](char c) { return c >= '0' && c <= '9'; });
}

void fill_number(fuzz::InputReader &input, char (&number)[SMS_TELNUM_CAPACITY], bool raw) {
    const std::string_view bytes = input.bytes(SMS_TELNUM_CAPACITY);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        number[i] = raw ? bytes[i] : static_cast<char>('0' + static_cast<unsigned char>(bytes[i]) % 10);
}

Case read_case(const std::uint8_t *data, std::size_t size) {
    fuzz::InputReader input(data, size);
    Case c;
    const std::uint8_t flags = input.u8();
    std::memset(&c.sms, input.u8(), sizeof c.sms);  // leftovers everywhere
    const std::uint8_t format = input.u8();
    const std::uint32_t any_format = input.u32();
    c.format = format % 4 == 3 ? static_cast<int>(any_format) : format % 4 == 2 ? 7 : format % 4;
    c.debug = (flags & 0x80) != 0;

    c.sms.dst_telnum_len = input.u8() % 41;  // above 32 is refused
    c.sms.dst_telnum_type = input.u8();
    fill_number(input, c.sms.dst_telnum, flags & 1);
    c.sms.telnum_len = input.u8() % 41;
    c.sms.telnum_type = input.u8();
    fill_number(input, c.sms.telnum, flags & 1);
    const std::uint16_t length_choice = input.u16();
    c.sms.pdu_count = input.u32();
    c.out_size = input.below_or(2047);
    c.part_no = input.u8();
    c.part_count = input.u8() % 8;
    c.msg_ref = input.u8();

    std::string text(input.bytes(SMS_TEXT_CAPACITY));
    if (flags & 2)  // alphabet characters only, so that the round trip applies
        for (char &ch : text)
            ch = representable->pick(static_cast<unsigned char>(ch));
    std::memcpy(c.sms.text, text.data(), text.size());
    // Mostly the text given; sometimes any length, beyond the text member too.
    c.sms.text_len = (flags & 4) ? length_choice % 1100 : static_cast<std::uint32_t>(text.size());
    return c;
}

void check_slot(const sms_pdu_slot &slot) {
    FUZZ_CHECK(slot.pdu_len > 0 && slot.pdu_len <= SMS_PDU_CAPACITY && slot.pdu_len % 2 == 0);
    for (std::uint32_t i = 0; i < slot.pdu_len; ++i)
        FUZZ_CHECK(fuzz::is_upper_hex(slot.pdu[i]));
    for (std::uint32_t i = slot.pdu_len; i < SMS_PDU_CAPACITY; ++i)
        FUZZ_CHECK(slot.pdu[i] == '\0');
}

struct Part {
    std::uint32_t part_count;  // 0 for a single PDU
    std::uint32_t part_no;
};

// SMS-SUBMIT -> SMS-DELIVER: TP-MR and TP-VP dropped, a time stamp put in; decoded back.
std::string gsm_round_trip(const sms_message &sent, std::string_view pdu, Part part, std::uint32_t reference) {
    const std::uint32_t digits = sent.dst_telnum_len;
    const std::size_t digit_octets = (digits + 1) / 2;
    FUZZ_CHECK(pdu.size() >= 2 * (9 + digit_octets));
    FUZZ_CHECK(fuzz::octet_at(pdu, 0) == 0x00);
    FUZZ_CHECK(fuzz::octet_at(pdu, 1) == (part.part_count ? 0x41u : 0x11u));
    FUZZ_CHECK(fuzz::octet_at(pdu, 3) == digits);
    FUZZ_CHECK(fuzz::octet_at(pdu, 4) == (sent.dst_telnum_type & 0xFF));
    const std::size_t after_digits = 5 + digit_octets;
    FUZZ_CHECK(fuzz::octet_at(pdu, after_digits) == 0x00);      // TP-PID
    FUZZ_CHECK(fuzz::octet_at(pdu, after_digits + 1) == 0x00);  // TP-DCS
    std::size_t user_data = after_digits + 2;
    if (!part.part_count)
        FUZZ_CHECK(fuzz::octet_at(pdu, user_data++) == 0xAA);

    const std::string deliver = std::string("00") + (part.part_count ? "44" : "04") +
                                std::string(pdu.substr(6, 2 * (after_digits + 2) - 6)) + kTimeStampGsm +
                                std::string(pdu.substr(2 * user_data));
    const fuzz::HeapText text(deliver);
    sms_message got{};
    FUZZ_CHECK(sms_decode_pdu(text.c_str(), static_cast<std::uint32_t>(deliver.size()), &got, 0) == 0);
    FUZZ_CHECK(got.telnum_len == digits && got.telnum_type == (sent.dst_telnum_type & 0xFF));
    if (digits <= 24 && numeric(sent.dst_telnum, digits))
        FUZZ_CHECK(std::string_view(got.telnum) == std::string_view(sent.dst_telnum, digits));
    FUZZ_CHECK(got.data_coding == 0);
    if (part.part_count)
        FUZZ_CHECK(got.msg_id == reference && got.total_parts == part.part_count && got.part_num == part.part_no);
    else
        FUZZ_CHECK(got.msg_id == 0 && got.total_parts == 1 && got.part_num == 1);
    return {got.text, got.text_len};
}

// 3GPP2 submit -> deliver: the destination becomes the sender, the callback is dropped
// and a time stamp put in; decoded back.
std::string cdma_round_trip(const sms_message &sent, std::string_view pdu, Part part, std::uint32_t reference,
                            std::uint32_t encoding) {
    const std::uint32_t dst_octets = (sent.dst_telnum_len + 1) / 2 + 1;
    const std::uint32_t callback_octets = (sent.telnum_len + 1) / 2 + 1;
    const std::size_t teleservice = 2 + dst_octets + callback_octets;
    FUZZ_CHECK(pdu.size() >= 2 * (teleservice + 5));
    FUZZ_CHECK(fuzz::octet_at(pdu, 0) == dst_octets);
    FUZZ_CHECK(fuzz::octet_at(pdu, 1) == (sent.dst_telnum_type & 0xFF));
    FUZZ_CHECK(fuzz::octet_at(pdu, 1 + dst_octets) == callback_octets);
    FUZZ_CHECK(fuzz::octet_at(pdu, 2 + dst_octets) == (sent.telnum_type & 0xFF));
    FUZZ_CHECK(fuzz::octet_at(pdu, teleservice) == 0x10);
    FUZZ_CHECK(fuzz::octet_at(pdu, teleservice + 1) == (part.part_count ? 0x05u : 0x02u));
    FUZZ_CHECK(fuzz::octet_at(pdu, teleservice + 2) == 0x00);
    FUZZ_CHECK(fuzz::octet_at(pdu, teleservice + 3) == encoding);

    const std::string deliver =
        std::string(pdu.substr(0, 2 * (1 + dst_octets))) + kTimeStamp3gpp2 + std::string(pdu.substr(2 * teleservice));
    const fuzz::HeapText text(deliver);
    sms_message got{};
    FUZZ_CHECK(sms_decode_3gpp2_pdu(text.c_str(), static_cast<std::uint32_t>(deliver.size()), &got, 0) == 0);
    FUZZ_CHECK(got.telnum_len == dst_octets && got.telnum_type == (sent.dst_telnum_type & 0xFF));
    if (sent.dst_telnum_len <= 24 && numeric(sent.dst_telnum, sent.dst_telnum_len))
        FUZZ_CHECK(std::string_view(got.telnum) == std::string_view(sent.dst_telnum, sent.dst_telnum_len));
    FUZZ_CHECK(got.teleserv_id == (part.part_count ? 4101u : 4098u) && got.priority == 0);
    FUZZ_CHECK(got.data_coding == encoding);
    if (part.part_count)
        FUZZ_CHECK(got.msg_id == reference && got.total_parts == part.part_count && got.part_num == part.part_no);
    return {got.text, got.text_len};
}

// Characters of `text` whose codes all fit in `codes` GSM codes.
std::size_t characters_in(std::string_view text, std::uint32_t codes) {
    std::uint32_t used = 0;
    std::size_t characters = 0;
    for (char c : text) {
        used += fuzz::is_escaped(static_cast<unsigned char>(c)) ? 2 : 1;
        if (used > codes)
            break;
        ++characters;
    }
    return characters;
}

void check_driver(const Case &c) {
    sms_message sms = c.sms;
    const sms_message before = c.sms;
    const bool gsm = c.format == SMS_FORMAT_GSM;

    const int rc = sms_encode_pdus(&sms, c.format, c.debug);
    ++calls_since_reference;

    FUZZ_CHECK(rc == 0 || rc == -1);
    FUZZ_CHECK(sms.data_coding == (c.format == SMS_FORMAT_3GPP2 ? 2u : 0u));
    const bool untouched_slots = std::memcmp(sms.pdus, before.pdus, sizeof sms.pdus) == 0;
    if (before.text_len > SMS_TEXT_CAPACITY) {
        FUZZ_CHECK(rc == -1 && sms.pdu_count == before.pdu_count && untouched_slots);
        return;
    }
    unsigned char codes[918];
    const std::uint32_t code_count = encode_ascii_to_gsm0338(before.text, before.text_len, codes, sizeof codes, 0);
    if (code_count == 0) {
        FUZZ_CHECK(rc == -1 && sms.pdu_count == before.pdu_count && untouched_slots);
        return;
    }
    const bool short_numbers =
        before.dst_telnum_len <= 20 && (gsm || (before.dst_telnum_len >= 1 && before.telnum_len >= 1 &&
                                                before.telnum_len <= 20));
    if (rc == -1) {
        FUZZ_CHECK(sms.pdu_count == 0);
        FUZZ_CHECK(!(code_count <= 120 && short_numbers));  // such a message always fits one PDU
        return;
    }

    const std::uint32_t parts = sms.pdu_count;
    if (code_count <= 160)
        FUZZ_CHECK(parts == 1);
    else
        FUZZ_CHECK(parts >= 2 && parts >= (code_count + 152) / 153 && parts <= SMS_MAX_PARTS);
    FUZZ_CHECK(std::memcmp(sms.pdus + parts, before.pdus + parts, (SMS_MAX_PARTS - parts) * sizeof(sms_pdu_slot)) == 0);

    std::uint32_t reference = 0;
    if (parts > 1) {
        // The reference follows TP-UDL (3GPP2: user_data_length), UDHL, IEI and IEDL.
        const std::size_t at = gsm ? 11 + (before.dst_telnum_len + 1) / 2
                                   : 12 + (before.dst_telnum_len + 1) / 2 + (before.telnum_len + 1) / 2;
        reference = fuzz::octet_at({sms.pdus[0].pdu, sms.pdus[0].pdu_len}, at);
        FUZZ_CHECK(reference >= 1 && reference <= 254);
        if (last_reference != 0)
            FUZZ_CHECK(reference == (last_reference - 1 + calls_since_reference) % 254 + 1);
        last_reference = reference;
        calls_since_reference = 0;
    }

    std::string decoded;
    for (std::uint32_t i = 0; i < parts; ++i) {
        check_slot(sms.pdus[i]);
        const std::string_view pdu(sms.pdus[i].pdu, sms.pdus[i].pdu_len);
        const Part part{parts > 1 ? parts : 0, parts > 1 ? i + 1 : 0};
        decoded += gsm ? gsm_round_trip(before, pdu, part, reference)
                       : cdma_round_trip(before, pdu, part, reference, sms.data_coding);
    }
    const std::string_view text(before.text, before.text_len);
    if ((gsm || c.format == SMS_FORMAT_3GPP2) && representable->all(text))
        FUZZ_CHECK(decoded == text.substr(0, characters_in(text, code_count)));
}

// A per-part encoder called directly: hex of the length returned and NULs after it, or
// -1 with the output all NUL; the record is never written.
void check_part_encoder(const Case &c) {
    const sms_message before = c.sms;
    fuzz::HeapBytes out(c.out_size, 0xA5);
    const auto encode = c.format == SMS_FORMAT_GSM ? sms_encode_pdu : sms_encode_3gpp2_pdu;
    const int rc = encode(&c.sms, out.chars(), c.out_size, c.part_no, c.part_count, c.msg_ref, c.debug);
    FUZZ_CHECK(std::memcmp(&c.sms, &before, sizeof before) == 0);
    if (rc == -1) {
        FUZZ_CHECK(out.all_from(0, 0));
        return;
    }
    FUZZ_CHECK(rc > 0 && rc % 2 == 0 && static_cast<std::uint32_t>(rc) <= c.out_size);
    for (int i = 0; i < rc; ++i)
        FUZZ_CHECK(fuzz::is_upper_hex(out.chars()[i]));
    FUZZ_CHECK(out.all_from(static_cast<std::size_t>(rc), 0));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzz::silence_stdout();
    representable = new fuzz::Representable();
    FUZZ_CHECK(sms_encode_pdus(nullptr, SMS_FORMAT_GSM, 0) == -1);
    sms_message sms{};
    char out[SMS_PDU_CAPACITY];
    FUZZ_CHECK(sms_encode_pdu(nullptr, out, sizeof out, 0, 0, 0, 0) == -1);
    FUZZ_CHECK(sms_encode_pdu(&sms, nullptr, sizeof out, 0, 0, 0, 0) == -1);
    FUZZ_CHECK(sms_encode_3gpp2_pdu(nullptr, out, sizeof out, 0, 0, 0, 0) == -1);
    FUZZ_CHECK(sms_encode_3gpp2_pdu(&sms, nullptr, sizeof out, 0, 0, 0, 0) == -1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const Case c = read_case(data, size);
    check_driver(c);
    check_part_encoder(c);
    return 0;
}
