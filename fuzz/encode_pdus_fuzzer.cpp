// SPDX-License-Identifier: Apache-2.0
// sms_encode_pdus over any record: text, text_len, numbers, their lengths, the format and leftovers anywhere. Each
// PDU must be hex and, turned into the received layout (SMS-SUBMIT into SMS-DELIVER, 3GPP2 submit into deliver),
// decode to the number, the concatenation values and the text sent; the reference follows the calls made. The per-
// part encoders are also called directly, with any part arguments and output sizes.
#include <tuple>

#include "fuzz.h"

namespace {

std::uint32_t calls = 0, last_reference = 0;  // calls since the last reference seen (0: none yet)

struct Case {
    sms_message sms;
    int format, debug;
    std::uint32_t out_size, part_no, part_count, msg_ref;
};

Case read_case(fuzz::Input in) {
    Case c;
    const std::uint32_t flags = in.take(1);
    std::memset(&c.sms, static_cast<int>(in.take(1)), sizeof c.sms);  // leftovers everywhere
    const std::uint32_t format = in.take(1) % 4, any_format = in.take(4);
    c.format = format == 3 ? static_cast<int>(any_format) : format == 2 ? 7 : static_cast<int>(format);
    c.debug = (flags & 0x80) != 0;
    for (auto [number, length, type] : {std::tuple{c.sms.dst_telnum, &c.sms.dst_telnum_len, &c.sms.dst_telnum_type},
                                        std::tuple{c.sms.telnum, &c.sms.telnum_len, &c.sms.telnum_type}}) {
        *length = in.take(1) % 41;  // above 32 is refused
        *type = in.take(1);
        const std::string_view digits = in.bytes(SMS_TELNUM_CAPACITY);
        for (std::size_t i = 0; i < digits.size(); ++i)  // digits, or any bytes with flag 1
            number[i] = flags & 1 ? digits[i] : static_cast<char>('0' + static_cast<unsigned char>(digits[i]) % 10);
    }
    const std::uint32_t length_choice = in.take(2);
    c.sms.pdu_count = in.take(4);
    c.out_size = in.take(2) % 2048, c.part_no = in.take(1), c.part_count = in.take(1) % 8, c.msg_ref = in.take(1);
    std::string text(in.bytes(SMS_TEXT_CAPACITY));
    for (char &ch : text)  // alphabet characters only with flag 2, for the round trip
        ch = flags & 2 ? fuzz::alphabet()[static_cast<unsigned char>(ch) % 127] : ch;
    text.copy(c.sms.text, text.size());
    c.sms.text_len = flags & 4 ? length_choice % 1100 : static_cast<std::uint32_t>(text.size());  // past the text too
    return c;
}

// Upper-case hex of n characters, NULs after them up to `size`.
bool hex_then_nul(const char *text, std::size_t n, std::size_t size) {
    return std::all_of(text, text + n, [](char ch) { return ch && std::strchr("0123456789ABCDEF", ch); }) &&
           fuzz::zero_from(text, n, size);
}

// The received PDU decoded: SMS-SUBMIT loses TP-MR and TP-VP, 3GPP2 the callback (the
// destination becomes the sender); both get a time stamp. Returns the text.
std::string round_trip(const Case &c, const sms_pdu_slot &slot, std::uint32_t parts, std::uint32_t part_no,
                       std::uint32_t reference) {
    FUZZ_CHECK(slot.pdu_len > 0 && slot.pdu_len % 2 == 0 && slot.pdu_len <= SMS_PDU_CAPACITY);
    FUZZ_CHECK(hex_then_nul(slot.pdu, slot.pdu_len, SMS_PDU_CAPACITY));
    const sms_message &sent = c.sms;
    const bool gsm = c.format == SMS_FORMAT_GSM, part = parts > 1;
    const std::string_view pdu(slot.pdu, slot.pdu_len);
    const std::size_t dst_end = 2 * (2 + (sent.dst_telnum_len + 1) / 2), dcs_end = dst_end + 10;
    std::string deliver;
    if (gsm) {  // a misplaced field shows in the decode; the first octet, TP-MR and TP-PID do not
        FUZZ_CHECK(pdu.substr(0, 6) == (part ? "004100" : "001100") && pdu.substr(dcs_end - 4, 2) == "00");
        deliver = (part ? "0044" : "0004") + std::string(pdu.substr(6, dcs_end - 6)) + "12204131605080" +
                  std::string(pdu.substr(dcs_end + (part ? 0 : 2)));
    } else {
        deliver = std::string(pdu.substr(0, dst_end)) + "210214130605" +
                  std::string(pdu.substr(dst_end + 2 * (2 + (sent.telnum_len + 1) / 2)));
    }
    sms_message got{};
    FUZZ_CHECK((gsm ? sms_decode_pdu : sms_decode_3gpp2_pdu)(fuzz::Exact(deliver, true).c(),
                                                             static_cast<std::uint32_t>(deliver.size()), &got, 0) == 0);
    const std::uint32_t n = sent.dst_telnum_len, single = gsm;  // SMS-DELIVER: part 1 of 1 by default
    FUZZ_CHECK(got.telnum_len == (gsm ? n : (n + 1) / 2 + 1) && got.telnum_type == sent.dst_telnum_type % 256);
    FUZZ_CHECK(got.data_coding == (c.format == SMS_FORMAT_3GPP2 ? 2u : 0u));
    if (n <= 24 && std::string_view(sent.dst_telnum, n).find_first_not_of("0123456789") == std::string::npos)
        FUZZ_CHECK(std::string_view(got.telnum) == std::string_view(sent.dst_telnum, n));
    FUZZ_CHECK(gsm || (got.teleserv_id == (part ? 4101u : 4098u) && got.priority == 0));
    FUZZ_CHECK(got.msg_id == (part ? reference : 0) && got.total_parts == (part ? parts : single) &&
               got.part_num == (part ? part_no : single));
    return {got.text, got.text_len};
}

void check_driver(const Case &c) {
    sms_message sms = c.sms;
    const bool gsm = c.format == SMS_FORMAT_GSM;
    const int rc = sms_encode_pdus(&sms, c.format, c.debug);
    ++calls;
    FUZZ_CHECK((rc == 0 || rc == -1) && sms.data_coding == (c.format == SMS_FORMAT_3GPP2 ? 2u : 0u));
    unsigned char codes[918];
    const std::uint32_t count =
        c.sms.text_len > SMS_TEXT_CAPACITY ? 0 : encode_ascii_to_gsm0338(c.sms.text, c.sms.text_len, codes, 918, 0);
    if (count == 0) {  // refused before the cut: pdu_count and the slots as they were
        FUZZ_CHECK(rc == -1 && sms.pdu_count == c.sms.pdu_count && !std::memcmp(sms.pdus, c.sms.pdus, sizeof sms.pdus));
        return;
    }
    const std::uint32_t dst = c.sms.dst_telnum_len, callback = c.sms.telnum_len, parts = sms.pdu_count;
    if (rc == -1) {  // up to 120 codes to numbers of at most 20 digits always fit one PDU
        FUZZ_CHECK(parts == 0 && !(count <= 120 && dst <= 20 && (gsm || (dst && callback && callback <= 20))));
        return;
    }
    FUZZ_CHECK(count <= 160 ? parts == 1 : parts >= (count + 152) / 153 && parts <= SMS_MAX_PARTS);
    FUZZ_CHECK(!std::memcmp(sms.pdus + parts, c.sms.pdus + parts, (SMS_MAX_PARTS - parts) * sizeof(sms_pdu_slot)));
    std::uint32_t reference = 0;
    if (parts > 1) {  // after TP-UDL (3GPP2: the length), UDHL, IEI and IEDL
        const std::size_t at = 2 * ((gsm ? 11 : 12 + (callback + 1) / 2) + (dst + 1) / 2);
        reference = static_cast<std::uint32_t>(std::stoul(std::string(sms.pdus[0].pdu + at, 2), nullptr, 16));
        FUZZ_CHECK(reference >= 1 && reference <= 254);
        FUZZ_CHECK(last_reference == 0 || reference == (last_reference - 1 + calls) % 254 + 1);
        last_reference = reference, calls = 0;
    }
    std::string decoded;
    for (std::uint32_t i = 0; i < parts; ++i)
        decoded += round_trip(c, sms.pdus[i], parts, i + 1, reference);
    // The text comes back; from 917 codes on, the cut at 918 may leave its end out.
    const std::string_view text(c.sms.text, c.sms.text_len);
    if ((gsm || c.format == SMS_FORMAT_3GPP2) && fuzz::in_alphabet(text))
        FUZZ_CHECK(count < 917 ? decoded == text : text.substr(0, decoded.size()) == decoded);
}

// A per-part encoder called directly: hex of the length returned and NULs after it, or -1
// with the output all NUL; the record is never written.
void check_part_encoder(Case &c) {
    const sms_message before = c.sms;
    const fuzz::Exact out(c.out_size, 0xA5);
    const int rc = (c.format == SMS_FORMAT_GSM ? sms_encode_pdu : sms_encode_3gpp2_pdu)(
        &c.sms, out.c(), c.out_size, c.part_no, c.part_count, c.msg_ref, c.debug);
    const auto n = static_cast<std::size_t>(rc);
    FUZZ_CHECK(!std::memcmp(&before, &c.sms, sizeof before) && (rc == -1 || (rc > 0 && rc % 2 == 0)));
    FUZZ_CHECK(rc == -1 || n <= c.out_size);
    FUZZ_CHECK(rc == -1 ? out.all_from(0, 0) : hex_then_nul(out.c(), n, c.out_size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Case c = read_case({data, size});
    check_driver(c);
    check_part_encoder(c);
    return 0;
}
