// SPDX-License-Identifier: Apache-2.0
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
std::optional<std::string> message_text(const CommandLine &line, const char *command) {
    std::string utf8;
    if (!line.words.empty()) {
        for (const auto &word : line.words)
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

// One line saying why the library refused: its status and where.
std::string describe(const velmora_error &e, std::string_view text, const CommandLine &line) {
    switch (e.status) {
    case VELMORA_E_INVALID_UTF8:
        return "the text is not UTF-8 at byte " + std::to_string(e.offset + 1);
    case VELMORA_E_UNENCODABLE:
        return "character " + describe_code_point(e.code_point) + " at position " +
               std::to_string(character_position(text, e.offset)) + " cannot be carried in a GSM 7-bit message";
    case VELMORA_E_TOO_MANY_PARTS:
        return std::string("the ") + (line.data ? "data" : "message") + " needs more than 255 parts";
    case VELMORA_E_ARGUMENT:
        return describe_refused_option(line, e);
    default:
        return velmora_status_message(e.status);
    }
}

// Encodes `payload` (text, or the octets of --data) into pdus[0 .. capacity).
velmora_status encode(const CommandLine &line, std::string_view payload, const velmora_submit_options &o,
                      velmora_pdu *pdus, std::size_t capacity, std::size_t &count, velmora_error &error) {
    return line.data ? velmora_encode_data(reinterpret_cast<const std::uint8_t *>(payload.data()), payload.size(), &o,
                                           pdus, capacity, &count, &error)
                     : velmora_encode(payload.data(), payload.size(), &o, pdus, capacity, &count, &error);
}

}  // namespace

int run_encode(const CommandLine &line) {
    velmora_submit_options o = line.submit;
    if (o.reference < 0)
        o.reference = random_reference(o.reference_bits);
    // The options first, before standard input is read: asked with nothing to send, the
    // library checks them and then wants room for one PDU.
    std::size_t count = 0;
    velmora_error error = VELMORA_ERROR_INIT;
    if (encode(line, "", o, nullptr, 0, count, error) == VELMORA_E_ARGUMENT) {
        report("encode: " + describe(error, "", line));
        return 2;
    }
    const auto text = line.data ? line.data : message_text(line, "encode");
    if (!text)
        return 1;
    if (text->empty()) {
        report(std::string("encode: the ") + (line.data ? "data is" : "message is") + " empty");
        return 1;
    }
    const auto pdus = std::make_unique<velmora_pdu[]>(VELMORA_MAX_PARTS);
    velmora_pdu_init(pdus.get(), VELMORA_MAX_PARTS);
    const velmora_status status = encode(line, *text, o, pdus.get(), VELMORA_MAX_PARTS, count, error);
    if (status != VELMORA_OK) {
        report("encode: " + describe(error, *text, line));
        return status == VELMORA_E_ARGUMENT ? 2 : 1;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (line.at)
            std::printf("AT+CMGS=%u\n", static_cast<unsigned>(pdus[i].tpdu_length));
        std::printf("%s\n", pdus[i].hex);
    }
    return 0;
}

int run_count(const CommandLine &line) {
    const auto text = message_text(line, "count");
    if (!text)
        return 1;
    velmora_count_result result = VELMORA_COUNT_RESULT_INIT;
    velmora_error error = VELMORA_ERROR_INIT;
    if (const velmora_status status = velmora_count(text->data(), text->size(), &line.submit, &result, &error);
        status != VELMORA_OK) {
        report("count: " + describe(error, *text, line));
        return status == VELMORA_E_ARGUMENT ? 2 : 1;
    }
    Printer(stdout, line.json).print(result);
    return 0;
}

}  // namespace velmora::cli
