// SPDX-License-Identifier: Apache-2.0
#include "json.h"

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

std::string json_array(std::span<const std::uint32_t> numbers) {
    std::string out = "[";
    for (const auto n : numbers)
        out += (out.size() > 1 ? "," : "") + std::to_string(n);
    return out + "]";
}

std::string json_array(std::span<const std::string> strings) {
    std::string out = "[";
    for (const auto &s : strings)
        out += (out.size() > 1 ? "," : "") + json_string(s);
    return out + "]";
}

JsonObject &JsonObject::add(std::string_view key, std::string_view json) {
    out_ += out_.size() > 1 ? "," : "";
    out_ += json_string(key);
    out_ += ':';
    out_ += json;
    return *this;
}

}  // namespace velmora::cli
