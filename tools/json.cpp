// SPDX-License-Identifier: Apache-2.0
#include "json.h"

#include <vector>

#include "text.h"

namespace velmora::cli {

std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00" + to_hex(std::string_view(&ch, 1));
        } else {
            out += ch;
        }
    }
    return out + '"';
}

std::string json_text(const JsonSink &value) {
    std::string out;
    std::vector<char> ends;  // of the objects and arrays open
    std::size_t string_start = 0;
    for (const JsonSink::Token &t : value.tokens()) {
        if (t.kind != JsonSink::kEnd) {
            if (!out.empty() && out.back() != '{' && out.back() != '[')
                out += ',';
            if (t.key != nullptr)
                out += json_string(t.key), out += ':';
        }
        switch (t.kind) {
        case JsonSink::kObject:
        case JsonSink::kArray:
            out += t.kind == JsonSink::kObject ? '{' : '[';
            ends.push_back(t.kind == JsonSink::kObject ? '}' : ']');
            break;
        case JsonSink::kNumber:
            out += std::to_string(t.number);
            break;
        case JsonSink::kFraction:
        case JsonSink::kString: {
            const auto end = static_cast<std::size_t>(t.number);
            const std::string_view octets = value.strings().substr(string_start, end - string_start);
            out += t.kind == JsonSink::kString ? json_string(octets) : std::string(octets);
            string_start = end;
            break;
        }
        case JsonSink::kName:
            out += json_string(t.name);
            break;
        case JsonSink::kTrue:
        case JsonSink::kFalse:
            out += t.kind == JsonSink::kTrue ? "true" : "false";
            break;
        case JsonSink::kEnd:
            out += ends.back();
            ends.pop_back();
            break;
        }
    }
    return out;
}

}  // namespace velmora::cli
