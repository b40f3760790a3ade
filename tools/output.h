// SPDX-License-Identifier: Apache-2.0
// Printing decoded messages and counts: labelled blocks for people, or one JSON object per line.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "message_fields.h"
#include "velmora/sms.h"

namespace velmora::cli {

// What a +CMS ERROR means: the modem's own words when it gave words, else the TS 27.005
// meaning of its code.
std::string cms_error_meaning(const velmora_modem_entry &entry);
// {"code":...,"message":...} of a +CMS ERROR.
std::string cms_error_json(const velmora_modem_entry &entry);

class Printer {
public:
    Printer(std::FILE *out, bool json) : out_(out), json_(json) {}

    // A decoded message; `entry` (may be null) is what the modem line said of it; `fields`, when
    // given, the "fields" array of decode --json --explain.
    void print(const velmora_message &m, std::string_view source, const velmora_modem_entry *entry = nullptr,
               std::string_view fields = {});
    // JSON only: an input that could not be read, at its place in the stream; `e` may be null.
    void print_failure(std::string_view source, std::string_view message, const velmora_error *e,
                       std::string_view fields = {});
    // A block as it is: a line of JSON, or lines apart from the block before.
    void emit(const std::string &block);
    // What a modem answered to sending: +CMGS/+CMSS, or +CMS ERROR.
    void print(const velmora_modem_entry &entry, std::string_view source);
    void print(const JoinedMessage &j);
    void print(const velmora_count_result &count);

private:

    std::FILE *out_;
    bool json_;
    bool first_ = true;
};

}  // namespace velmora::cli
