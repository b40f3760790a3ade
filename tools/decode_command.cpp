#include "decode_command.h"

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "explain.h"
#include "input.h"
#include "output.h"
#include "velmora/sms.h"

namespace velmora::cli {
namespace {

// Longer than any PDU either layout can describe; longer lines are refused unread.
constexpr std::size_t kMaxPduChars = 4096;
// Parts of unfinished messages kept at once; when they are all taken, the oldest
// message is shown as it stands to make room.
constexpr std::uint32_t kSlots = 1024;

void report(const std::string &source, const std::string &what) {
    std::fflush(stdout);
    std::fprintf(stderr, "velmora: %s: %s\n", source.c_str(), what.c_str());
}

std::string describe(const velmora_error &e) {
    std::string out = velmora_status_message(e.status);
    out += " at octet offset " + std::to_string(e.offset);
    if (e.field[0] != '\0')
        out += std::string(" (") + e.field + ")";
    return out;
}

class DecodeRun {
public:
    explicit DecodeRun(const DecodeOptions &o)
        : flags_((o.cdma ? VELMORA_CDMA : 0) | (o.no_smsc ? VELMORA_NO_SMSC : 0)), json_(o.json),
          explain_(o.explain), printer_(stdout, o.json),
          storage_(velmora_reassembly_storage_size(kSlots) / sizeof(std::max_align_t) + 1), sources_(kSlots) {
        velmora_reassembly_init(&reassembly_, storage_.data(), storage_.size() * sizeof(std::max_align_t));
        velmora_message_init(message_.get());
        velmora_message_init(joined_.get());
    }

    void pdu(std::string_view hex, const std::string &source, unsigned direction = 0) {
        if (explain_)
            return explained_pdu(hex, source, direction);
        velmora_error error = VELMORA_ERROR_INIT;
        if (velmora_decode_hex(hex.data(), hex.size(), flags_ | direction, message_.get(), &error) != VELMORA_OK) {
            fail(source, describe(error));
            return;
        }
        printer_.print(*message_, source);
        join(source);
    }

    void fail(const std::string &source, const std::string &what) {
        report(source, what);
        failed_ = true;
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
    void explained_pdu(std::string_view hex, const std::string &source, unsigned direction) {
        const Explained x = explain_pdu(hex, flags_ | direction, *message_);
        const bool ok = x.status == VELMORA_OK;
        if (json_ && ok)
            printer_.print(*message_, source, fields_json(x.fields));
        else if (json_)
            printer_.emit(failure_json(source, x.error, fields_json(x.fields)) + "\n");
        else
            printer_.emit(source + "\n" + annotated_hex(hex, x.fields));
        if (!ok)
            return fail(source, describe(x.error));
        join(source);
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
        velmora_reassembly_fields(&reassembly_, &group, joined_.get());
        JoinedMessage joined{*joined_, {}, {}, {}, {}, {}};
        for (std::uint32_t part = 1; part <= group.parts; ++part) {
            if (!VELMORA_GROUP_HAS(&group, part)) {
                joined.missing.push_back(part);
                continue;
            }
            joined.present.push_back(part);
            joined.sources.push_back(sources_[static_cast<std::size_t>(velmora_reassembly_slot(&reassembly_, &group, part))]);
        }
        std::size_t length = 0;
        velmora_reassembly_text(&reassembly_, &group, nullptr, 0, &length);
        joined.text.resize(length);
        velmora_reassembly_text(&reassembly_, &group, joined.text.data(), joined.text.size(), &length);
        velmora_reassembly_data(&reassembly_, &group, nullptr, 0, &length);
        joined.data.resize(length);
        velmora_reassembly_data(&reassembly_, &group, reinterpret_cast<std::uint8_t *>(joined.data.data()),
                                joined.data.size(), &length);
        printer_.print(joined);
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

int run_decode(const DecodeOptions &o) {
    DecodeRun run(o);
    if (!o.pdus.empty()) {
        for (std::size_t i = 0; i < o.pdus.size(); ++i)
            run.pdu(trim(o.pdus[i]), "argument " + std::to_string(i + 1));
        return run.finish();
    }
    LineReader lines(stdin, kMaxPduChars + 64);
    std::string text;
    bool overlong = false;
    unsigned direction = 0;  // of the PDU a modem's header line announced
    while (lines.next(text, overlong)) {
        const std::string source = "line " + std::to_string(lines.number());
        if (overlong) {
            run.fail(source, "more than " + std::to_string(kMaxPduChars) + " characters, longer than any SMS");
            continue;
        }
        const std::string_view line = trim(text);
        if (const auto announced = pdu_direction(line)) {
            direction = *announced;
            continue;
        }
        if (line.empty() || is_modem_chatter(line))
            continue;
        run.pdu(line, source, direction);
        direction = 0;
    }
    if (std::ferror(stdin))
        run.fail("standard input", std::strerror(errno));
    return run.finish();
}

}  // namespace velmora::cli
