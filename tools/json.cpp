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

}  // namespace velmora::cli
