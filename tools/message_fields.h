// SPDX-License-Identifier: Apache-2.0
// A decoded message shown to people (labelled lines) or as one JSON object per line,
// both from one table of the record's fields. Text in, text out: no I/O here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json.h"
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

// The message `group` names, as far as its parts are in: `fields` receives its lowest part's
// fields; `sources` names the part held in each slot.
JoinedMessage joined_message(const velmora_reassembly &reassembly, const velmora_group &group,
                             velmora_message &fields, const std::vector<std::string> &sources);

// "[source]" and a line per field; `entry` (may be null) is what the modem line said of it.
std::string message_lines(const velmora_message &message, std::string_view source,
                          const velmora_modem_entry *entry = nullptr);
// "[joined: sources]" and a line per field, without the header and the part number.
std::string message_lines(const JoinedMessage &joined);

// One JSON object (without a line break).
std::string message_json(const velmora_message &message, std::string_view source,
                         const velmora_modem_entry *entry = nullptr);
std::string message_json(const JoinedMessage &joined);
// The same into a sink, without a source.
void message_json(const velmora_message &message, JsonSink &out);

// The warning bits of `warnings` that the library names, lowest first.
std::vector<std::uint32_t> warning_bits(std::uint32_t warnings);

// Every key message_json can give, in the order it gives them.
std::vector<std::string_view> message_json_keys();

}  // namespace velmora::cli
