// Printing decoded messages and counts: labelled lines for people, or one JSON object per line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/sms.h"

namespace velmora::cli {

// The parts of one concatenated message put together: the fields of its lowest part,
// the joined text or data, and which parts were there.
struct JoinedMessage {
    const velmora_message &first;
    std::vector<std::string> sources;
    std::vector<std::uint32_t> present;
    std::vector<std::uint32_t> missing;
    std::string text;
    std::string data;  // octets
};

// Appends s to out as a JSON string, quotes and escapes included.
void json_string(std::string &out, std::string_view s);

class Printer {
public:
    Printer(std::FILE *out, bool json) : out_(out), json_(json) {}

    // `fields_json`, when given, is added as the "fields" array (decode --json --explain).
    void print(const velmora_message &m, const std::string &source, std::string_view fields_json = {});
    void print(const JoinedMessage &j);
    void print(const velmora_count_result &count);
    // A block as it is: a line of JSON, or lines apart from the block before.
    void emit(const std::string &block);

private:

    std::FILE *out_;
    bool json_;
    bool first_ = true;
};

}  // namespace velmora::cli
