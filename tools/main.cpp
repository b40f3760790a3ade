// velmora: SMS PDUs from the command line, on top of the libraries' C APIs.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "charset.h"
#include "decode_command.h"
#include "input.h"
#include "options.h"
#include "velmora.h"

namespace velmora::cli {
namespace {

constexpr std::uint32_t kMaxCodes = SMS_MAX_PARTS * 153;  // six parts of 153 GSM codes
constexpr std::size_t kMaxStdinText = 1 << 16;          // far beyond kMaxCodes characters

void report(const std::string &what) { std::fprintf(stderr, "velmora: %s\n", what.c_str()); }

void copy_number(const Number &n, char *digits, std::uint32_t &type, std::uint32_t &length) {
    std::memcpy(digits, n.digits.data(), n.digits.size());
    type = n.type;
    length = static_cast<std::uint32_t>(n.digits.size());
}

// The library numbers concatenated messages from a per-process counter that each
// sms_encode_pdus call advances, also a call that fails on an empty text, so every run
// of the tool would start at 1. Calls on an empty record move it on to `reference`.
void advance_reference_to(std::uint32_t reference) {
    sms_message empty{};
    for (std::uint32_t i = 1; i < reference; ++i)
        sms_encode_pdus(&empty, SMS_FORMAT_GSM, 0);
}

std::uint32_t random_reference() {
    std::random_device device;
    return std::uniform_int_distribution<std::uint32_t>(1, 254)(device);
}

int run_encode(const EncodeOptions &o) {
    std::string utf8;
    if (!o.text.empty()) {
        for (const auto &word : o.text)
            utf8 += (utf8.empty() ? "" : " ") + word;
    } else {
        const auto all = read_all(stdin, kMaxStdinText);
        if (!all) {
            report("encode: standard input holds more than " + std::to_string(kMaxStdinText) +
                   " bytes, far more than one message");
            return 1;
        }
        utf8 = *all;
        if (utf8.ends_with('\n'))
            utf8.pop_back();
        if (utf8.ends_with('\r'))
            utf8.pop_back();
    }

    std::optional<TextError> error;
    const std::string text8 = utf8_to_text8(utf8, error);
    const auto codes = error ? std::nullopt : gsm_code_count(text8, error);
    if (!codes) {
        report("encode: " + error->message);
        return 1;
    }
    if (*codes == 0) {
        report("encode: the message is empty");
        return 1;
    }
    if (*codes > kMaxCodes) {
        report("encode: the message needs " + std::to_string(*codes) + " GSM 7-bit codes; at most " +
               std::to_string(kMaxCodes) + " fit in " + std::to_string(SMS_MAX_PARTS) + " parts");
        return 1;
    }

    sms_message m{};
    std::memcpy(m.text, text8.data(), text8.size());
    m.text_len = static_cast<std::uint32_t>(text8.size());
    copy_number(o.to, m.dst_telnum, m.dst_telnum_type, m.dst_telnum_len);
    if (o.cdma)
        copy_number(o.from, m.telnum, m.telnum_type, m.telnum_len);
    advance_reference_to(o.reference != 0 ? o.reference : random_reference());
    if (sms_encode_pdus(&m, o.cdma ? SMS_FORMAT_3GPP2 : SMS_FORMAT_GSM, o.debug) != 0) {
        std::string why = "encode: the library could not encode the message";
        if (*codes > kMaxCodes - (SMS_MAX_PARTS - 1))  // each of the 5 cuts may move an escape code on
            why += "; with " + std::to_string(*codes) + " GSM codes, escape pairs kept whole at the cuts "
                   "need more than " + std::to_string(SMS_MAX_PARTS) + " parts";
        else if (o.cdma)
            why += "; a long 3GPP2 text leaves room for about 18 digits of destination and callback number";
        report(why);
        return 1;
    }
    for (std::uint32_t i = 0; i < m.pdu_count; ++i) {
        const sms_pdu_slot &slot = m.pdus[i];
        const std::string pdu(slot.pdu, std::min<std::size_t>(slot.pdu_len, sizeof slot.pdu));
        if (o.at) {
            // AT+CMGS counts the TPDU octets: everything after the service-centre address.
            const std::uint32_t sca = static_cast<std::uint32_t>(std::stoul(pdu.substr(0, 2), nullptr, 16));
            std::printf("AT+CMGS=%u\n", static_cast<unsigned>(pdu.size() / 2 - 1 - sca));
        }
        std::printf("%s\n", pdu.c_str());
    }
    return 0;
}

}  // namespace
}  // namespace velmora::cli

int main(int argc, char **argv) {
    using namespace velmora::cli;
    CommandLine command;
    try {
        command = parse_command_line(argc, argv);
    } catch (const UsageError &e) {
        std::fprintf(stderr, "velmora: %s (see velmora --help)\n", e.what());
        return 2;
    }
    switch (command.action) {
    case Action::help: std::fputs(kUsage, stdout); return 0;
    case Action::version: std::printf("velmora %s\n", VELMORA_VERSION); return 0;
    case Action::encode: return run_encode(command.encode);
    case Action::decode: return run_decode(command.decode);
    }
    return 2;
}
