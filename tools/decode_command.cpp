// SPDX-License-Identifier: Apache-2.0
#include "decode_command.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "explain.h"
#include "input.h"
#include "output.h"
#include "velmora/sms.h"

namespace velmora::cli {
namespace {

// Longer than any line a modem log holds (a ModemManager line quotes a whole listing);
// longer lines are refused unread.
constexpr std::size_t kMaxLineChars = 65536;
// Parts of unfinished messages kept at once; when they are all taken, the oldest
// message is shown as it stands to make room.
constexpr std::uint32_t kSlots = 1024;
// An argument of letters and digits this long is a PDU, even with a character that is not hex.
constexpr std::size_t kPduLikeLength = 16;

// The status, and where in the PDU unless the failure is not in one.
std::string describe(const velmora_error &e) {
    std::string out = velmora_status_message(e.status);
    if (e.status == VELMORA_E_TEXT_MODE)
        return out;
    out += " at octet offset " + std::to_string(e.offset);
    if (e.field[0] != '\0')
        out += std::string(" (") + e.field + ")";
    return out;
}

// Hex digits, or a long run of letters and digits that is not a file: a PDU to decode.
bool is_pdu_argument(const std::string &argument) {
    const std::string_view text = trim(argument);
    const auto all = [&](auto &&test) {
        return std::all_of(text.begin(), text.end(), [&](char c) { return test(static_cast<unsigned char>(c)); });
    };
    std::error_code missing;
    if (text.empty())
        return false;
    if (all([](unsigned char c) { return std::isxdigit(c) != 0; }))
        return true;
    return text.size() >= kPduLikeLength && all([](unsigned char c) { return std::isalnum(c) != 0; }) &&
           !std::filesystem::exists(argument, missing);
}

class DecodeRun {
public:
    explicit DecodeRun(const CommandLine &line)
        : flags_(line.decode_flags), json_(line.json), explain_(line.explain), printer_(stdout, line.json),
          storage_(velmora_reassembly_storage_size(kSlots) / sizeof(std::max_align_t) + 1), sources_(kSlots) {
        velmora_reassembly_init(&reassembly_, storage_.data(), storage_.size() * sizeof(std::max_align_t));
        velmora_message_init(message_.get());
        velmora_message_init(joined_.get());
    }

    void pdu(std::string_view hex, const std::string &source) {
        if (explain_)
            return explained_pdu(hex, flags_, source);
        velmora_error error = VELMORA_ERROR_INIT;
        if (velmora_decode_hex(hex.data(), hex.size(), flags_, message_.get(), &error) != VELMORA_OK)
            return fail(source, describe(error), &error);
        printer_.print(*message_, source);
        join(source);
    }

    // Modem output or PDU lines; `prefix` names the input in each source ("" for standard input).
    void lines(std::FILE *in, const std::string &prefix) {
        velmora_modem_reader reader;
        velmora_modem_reader_init(&reader, flags_);
        LineReader lines(in, kMaxLineChars);
        std::string text;
        bool overlong = false;
        while (lines.next(text, overlong)) {
            const std::string source = prefix + "line " + std::to_string(lines.number());
            if (overlong) {
                fail(source, "more than " + std::to_string(kMaxLineChars) + " characters, longer than any modem line");
                continue;
            }
            velmora_modem_feed(&reader, text.data(), text.size());
            entries(reader, source);
        }
        if (std::ferror(in))
            fail(prefix.empty() ? "standard input" : prefix, std::strerror(errno));
    }

    void fail(const std::string &source, const std::string &what, const velmora_error *error = nullptr,
              std::string_view fields = {}) {
        failed_ = true;
        if (json_)
            return printer_.print_failure(source, what, error, fields);
        std::fflush(stdout);
        std::fprintf(stderr, "velmora: %s: %s\n", source.c_str(), what.c_str());
    }

    int finish() {
        std::vector<velmora_group> groups(kSlots);
        velmora_group_init(groups.data(), groups.size());
        groups.resize(velmora_reassembly_groups(&reassembly_, groups.data(), groups.size()));
        for (const velmora_group &group : groups)
            print_joined(group);
        return failed_ ? 1 : 0;
    }

private:
    // The field map, also of a PDU that fails: its fields up to the failure, and the failure.
    void explained_pdu(std::string_view hex, unsigned flags, const std::string &source) {
        const Explained x = explain_pdu(hex, flags, *message_);
        if (x.status != VELMORA_OK) {
            if (!json_)
                printer_.emit(source + "\n" + annotated_hex(hex, x.fields));
            return fail(source, describe(x.error), &x.error, fields_json(x.fields));
        }
        if (json_)
            printer_.print(*message_, source, nullptr, fields_json(x.fields));
        else
            printer_.emit(source + "\n" + annotated_hex(hex, x.fields));
        join(source);
    }

    void entries(velmora_modem_reader &reader, const std::string &source) {
        velmora_modem_entry entry;
        velmora_modem_entry_init(&entry);
        velmora_error error = VELMORA_ERROR_INIT;
        for (;;) {
            switch (velmora_modem_next(&reader, &entry, message_.get(), &error)) {
            case VELMORA_MODEM_NONE:
                return;
            case VELMORA_MODEM_MESSAGE:
            case VELMORA_MODEM_FAILED:
                // The field map of a PDU as the reader decoded it: its direction, its SMSC.
                if (explain_ && entry.pdu != nullptr) {
                    explained_pdu({entry.pdu, entry.pdu_length}, entry.decode_flags, source);
                } else if (entry.kind == VELMORA_MODEM_MESSAGE) {
                    printer_.print(*message_, source, &entry);
                    join(source);
                } else {
                    fail(source, describe(error), &error);
                }
                break;
            default:
                printer_.print(entry, source);
                break;
            }
        }
    }

    void join(const std::string &source) {
        velmora_group group;
        velmora_group_init(&group, 1);
        velmora_add_result added = velmora_reassembly_add(&reassembly_, message_.get(), arrivals_++, &group);
        if (added == VELMORA_ADD_FULL) {
            velmora_group oldest;
            velmora_group_init(&oldest, 1);
            velmora_reassembly_groups(&reassembly_, &oldest, 1);
            print_joined(oldest);
            added = velmora_reassembly_add(&reassembly_, message_.get(), arrivals_++, &group);
        }
        if (added == VELMORA_ADD_STORED || added == VELMORA_ADD_COMPLETE)
            sources_[static_cast<std::size_t>(velmora_reassembly_slot(&reassembly_, &group, message_->part))] = source;
        if (added == VELMORA_ADD_COMPLETE)
            print_joined(group);
    }

    // Shows a message as far as its parts are in, and lets its slots go.
    void print_joined(const velmora_group &group) {
        printer_.print(joined_message(reassembly_, group, *joined_, sources_));
        velmora_reassembly_release(&reassembly_, &group);
    }

    unsigned flags_;
    bool json_, explain_;
    Printer printer_;
    std::unique_ptr<velmora_message> message_ = std::make_unique<velmora_message>();
    std::unique_ptr<velmora_message> joined_ = std::make_unique<velmora_message>();  // fields of a joined message
    std::vector<std::max_align_t> storage_;  // of the reassembly's slots
    std::vector<std::string> sources_;  // of the part in each slot
    velmora_reassembly reassembly_{};
    std::uint64_t arrivals_ = 0;
    bool failed_ = false;
};

}  // namespace

int run_decode(const CommandLine &line) {
    DecodeRun run(line);
    if (line.words.empty())
        run.lines(stdin, "");
    for (std::size_t i = 0; i < line.words.size(); ++i) {
        const std::string &input = line.words[i];
        if (input == "-") {
            run.lines(stdin, "");
        } else if (is_pdu_argument(input)) {
            run.pdu(trim(input), "argument " + std::to_string(i + 1));
        } else if (std::FILE *file = std::fopen(input.c_str(), "r")) {
            run.lines(file, input + " ");
            std::fclose(file);
        } else {
            run.fail(input, std::strerror(errno));
        }
    }
    return run.finish();
}

}  // namespace velmora::cli
