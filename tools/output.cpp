// SPDX-License-Identifier: Apache-2.0
#include "output.h"

#include "json.h"
#include "text.h"

namespace velmora::cli {
namespace {

// A JSON object with the "fields" array of decode --explain added, when there is one.
std::string with_fields(std::string object, std::string_view fields) {
    if (!fields.empty())
        object.insert(object.size() - 1, ",\"fields\":" + std::string(fields));
    return object;
}

}  // namespace

// Blocks for people are separated by a blank line; JSON objects stand one per line.
void Printer::emit(const std::string &block) {
    if (!json_ && !first_)
        std::fputc('\n', out_);
    first_ = false;
    std::fwrite(block.data(), 1, block.size(), out_);
}

void Printer::print(const velmora_message &m, std::string_view source, const velmora_modem_entry *entry,
                    std::string_view fields) {
    emit(json_ ? with_fields(message_json(m, source, entry), fields) + "\n" : message_lines(m, source, entry));
}

void Printer::print_failure(std::string_view source, std::string_view message, const velmora_error *e,
                            std::string_view fields) {
    JsonObject error;
    if (e != nullptr)
        error.add("status", e->status);
    error.add("message", json_string(message));
    if (e != nullptr)
        error.add("offset", e->offset).add("field", json_string(e->field));
    emit(with_fields(JsonObject().add("source", json_string(source)).add("error", error.text()).text(), fields) + "\n");
}

std::string cms_error_meaning(const velmora_modem_entry &entry) {
    if (entry.cms_error_words != nullptr)
        return {entry.cms_error_words, entry.cms_error_words_length};
    return velmora_cms_error_text(entry.cms_error);
}

std::string cms_error_json(const velmora_modem_entry &entry) {
    return JsonObject().add("code", entry.cms_error).add("message", json_string(cms_error_meaning(entry))).text();
}

void Printer::print(const velmora_modem_entry &entry, std::string_view source) {
    const bool sent = entry.kind == VELMORA_MODEM_SENT;
    if (json_) {
        const std::string result = sent ? JsonObject().add("message_reference", entry.message_reference).text()
                                        : cms_error_json(entry);
        emit(JsonObject().add("source", json_string(source)).add(sent ? "sent" : "modem_error", result).text() + "\n");
        return;
    }
    // Words that name no code are shown as the modem gave them.
    const std::string error = entry.cms_error >= 0
                                  ? std::to_string(entry.cms_error) + " (" + cms_error_meaning(entry) + ")"
                                  : cms_error_meaning(entry);
    emit("[" + std::string(source) + "]\n" +
         (sent ? labelled("sent", "message reference " + std::to_string(entry.message_reference))
               : labelled("modem", "+CMS ERROR: " + error)));
}

void Printer::print(const JoinedMessage &j) { emit(json_ ? message_json(j) + "\n" : message_lines(j)); }

void Printer::print(const velmora_count_result &count) {
    const char *alphabet = velmora_alphabet_name(count.alphabet);
    if (json_) {
        JsonObject o;
        o.add("alphabet", json_string(alphabet)).add("parts", count.parts).add("units_per_part", count.units_per_part);
        o.add("units_used", count.units_used).add("units_left", count.units_left);
        if (count.locking_shift != 0)
            o.add("locking_shift", count.locking_shift);
        if (count.single_shift != 0)
            o.add("single_shift", count.single_shift);
        emit(o.text() + "\n");
        return;
    }
    std::string out = labelled("alphabet", alphabet) + labelled("parts", std::to_string(count.parts)) +
                      labelled("per part", std::to_string(count.units_per_part)) +
                      labelled("used", std::to_string(count.units_used)) +
                      labelled("left", std::to_string(count.units_left));
    if (count.locking_shift != 0)
        out += labelled("locking", velmora_language_name(count.locking_shift));
    if (count.single_shift != 0)
        out += labelled("shift", velmora_language_name(count.single_shift));
    emit(out);
}

}  // namespace velmora::cli
