// Printing decoded messages and counts: labelled blocks for people, or one JSON object per line.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "message_fields.h"
#include "velmora/sms.h"

namespace velmora::cli {

class Printer {
public:
    Printer(std::FILE *out, bool json) : out_(out), json_(json) {}

    void print(const velmora_message &m, std::string_view source);
    void print(const JoinedMessage &j);
    void print(const velmora_count_result &count);

private:
    void emit(const std::string &block);

    std::FILE *out_;
    bool json_;
    bool first_ = true;
};

}  // namespace velmora::cli
