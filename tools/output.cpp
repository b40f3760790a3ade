#include "output.h"

#include "json.h"
#include "text.h"

namespace velmora::cli {

// Blocks for people are separated by a blank line; JSON objects stand one per line.
void Printer::emit(const std::string &block) {
    if (!json_ && !first_)
        std::fputc('\n', out_);
    first_ = false;
    std::fwrite(block.data(), 1, block.size(), out_);
}

void Printer::print(const velmora_message &m, std::string_view source) {
    emit(json_ ? message_json(m, source) + "\n" : message_lines(m, source));
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
