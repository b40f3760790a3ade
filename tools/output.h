// Printing decoded messages and counts: labelled lines for people, or one JSON object per line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
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

class Printer {
public:
    Printer(std::FILE *out, bool json) : out_(out), json_(json) {}

    // A decoded message; `entry` (may be null) is what the modem line said of it.
    void print(const velmora_message &m, const std::string &source, const velmora_modem_entry *entry = nullptr);
    // JSON only: an input that could not be read, at its place in the stream; `e` may be null.
    void print_failure(const std::string &source, const std::string &message, const velmora_error *e);
    // What a modem answered to sending: +CMGS/+CMSS, or +CMS ERROR.
    void print(const velmora_modem_entry &entry, const std::string &source);
    void print(const JoinedMessage &j);
    void print(const velmora_count_result &count);

private:
    void emit(const std::string &block);

    std::FILE *out_;
    bool json_;
    bool first_ = true;
};

}  // namespace velmora::cli
