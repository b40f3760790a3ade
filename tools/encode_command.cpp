#include "encode_command.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <string>

#include "input.h"
#include "output.h"
#include "text.h"
#include "velmora/sms.h"

namespace velmora::cli {
namespace {

constexpr std::size_t kMaxStdinText = 1 << 20;  // far beyond 255 parts

void report(const std::string &what) { std::fprintf(stderr, "velmora: %s\n", what.c_str()); }

// The words of the command line joined by blanks, or standard input without its final
// line break; nullopt (reported) when standard input is too long for any message.
std::optional<std::string> message_text(const EncodeOptions &o, const char *command) {
    std::string utf8;
    if (!o.text.empty()) {
        for (const auto &word : o.text)
            utf8 += (utf8.empty() ? "" : " ") + word;
        return utf8;
    }
    const auto all = read_all(stdin, kMaxStdinText);
    if (!all) {
        report(std::string(command) + ": standard input holds more than " + std::to_string(kMaxStdinText) +
               " bytes, far more than 255 parts carry");
        return std::nullopt;
    }
    utf8 = *all;
    if (utf8.ends_with('\n'))
        utf8.pop_back();
    if (utf8.ends_with('\r'))
        utf8.pop_back();
    return utf8;
}

// Each run is a process of its own, so the library's counter would start every run at the
// same reference; a random one keeps two long messages to one phone apart.
std::int32_t random_reference(std::uint8_t bits) {
    std::random_device device;
    return static_cast<std::int32_t>(std::uniform_int_distribution<std::uint32_t>(0, bits == 16 ? 0xFFFF : 0xFF)(device));
}

// The command-line option behind a member of velmora_submit_options.
std::string option_of(const char *member) {
    const std::string name = member;
    if (name == "validity_minutes")
        return "--validity";
    if (name == "validity_until")
        return "--validity-until";
    if (name == "to_type" || name == "from_type")
        return "--" + name.substr(0, name.find('_')) + "-type";
    if (name == "destination_port" || name == "source_port")
        return "--port";
    std::string option = "--" + name;
    for (char &c : option)
        c = c == '_' ? '-' : c;
    return option;
}

// What is wrong with a telephone number the library refused, at character `offset`.
std::string describe_number(const std::string &number, std::uint32_t offset) {
    std::string what = "'" + number + "' is not a telephone number: ";
    if (offset < number.size() && !(number[offset] >= '0' && number[offset] <= '9'))
        return what + "'" + number[offset] + "' at position " + std::to_string(offset + 1) +
               " (digits, * # a b c, and a leading +)";
    return what + "more than 20 digits";
}

// One line saying why the library refused: its status and where.
std::string describe(const velmora_error &e, std::string_view text, const EncodeOptions &o) {
    const std::string field = e.field;
    switch (e.status) {
    case VELMORA_E_INVALID_UTF8:
        return "the text is not UTF-8 at byte " + std::to_string(e.offset + 1);
    case VELMORA_E_UNENCODABLE:
        return "character " + describe_code_point(e.code_point) + " at position " +
               std::to_string(character_position(text, e.offset)) + " cannot be carried in a GSM 7-bit message";
    case VELMORA_E_TOO_MANY_PARTS:
        return std::string("the ") + (o.data_given ? "data" : "message") + " needs more than 255 parts";
    case VELMORA_E_ARGUMENT:
        if (field == "to" || field == "from" || field == "smsc")
            return option_of(e.field) + ": " + describe_number(field == "to" ? o.to : field == "from" ? o.from : o.smsc, e.offset);
        if (field == "to_type" || field == "from_type")
            return option_of(e.field) + ": a number's type of address lies in 0x80-0xFF, and 0xD0-0xDF are "
                                        "alphanumeric";
        return option_of(e.field) + ": " + velmora_status_message(e.status);
    default:
        return velmora_status_message(e.status);
    }
}

}  // namespace

int run_encode(const EncodeOptions &e) {
    const auto text = e.data_given ? std::optional<std::string>(e.data) : message_text(e, "encode");
    if (!text)
        return 1;
    if (text->empty()) {
        report(std::string("encode: the ") + (e.data_given ? "data is" : "message is") + " empty");
        return 1;
    }
    velmora_submit_options o = e.library_options();
    if (o.reference < 0)
        o.reference = random_reference(o.reference_bits);

    const auto pdus = std::make_unique<velmora_pdu[]>(VELMORA_MAX_PARTS);
    velmora_pdu_init(pdus.get(), VELMORA_MAX_PARTS);
    std::size_t count = 0;
    velmora_error error = VELMORA_ERROR_INIT;
    const velmora_status status =
        e.data_given ? velmora_encode_data(reinterpret_cast<const std::uint8_t *>(text->data()), text->size(), &o,
                                           pdus.get(), VELMORA_MAX_PARTS, &count, &error)
                     : velmora_encode(text->data(), text->size(), &o, pdus.get(), VELMORA_MAX_PARTS, &count, &error);
    if (status != VELMORA_OK) {
        report("encode: " + describe(error, *text, e));
        return status == VELMORA_E_ARGUMENT ? 2 : 1;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (e.at)
            std::printf("AT+CMGS=%u\n", static_cast<unsigned>(pdus[i].tpdu_length));
        std::printf("%s\n", pdus[i].hex);
    }
    return 0;
}

int run_count(const EncodeOptions &e, bool json) {
    const auto text = message_text(e, "count");
    if (!text)
        return 1;
    const velmora_submit_options o = e.library_options();
    velmora_count_result result = VELMORA_COUNT_RESULT_INIT;
    velmora_error error = VELMORA_ERROR_INIT;
    if (velmora_count(text->data(), text->size(), &o, &result, &error) != VELMORA_OK) {
        report("count: " + describe(error, *text, e));
        return 1;
    }
    Printer(stdout, json).print(result);
    return 0;
}

}  // namespace velmora::cli
