// SPDX-License-Identifier: Apache-2.0
// Command line of the velmora tool: one table of options drives the parser, the usage
// text and the naming of the option behind a value the library refuses.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "velmora/sms.h"

namespace velmora::cli {

// A command line the tool cannot act on; main prints it on one line and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class Action { help, version, encode, count, decode };

struct Option;  // a row of the option table

struct GivenOption {
    const Option *option;
    const char *value;  // from argv; nullptr for an option without a value
};

// What the command line asks for. The string members of `submit` point into argv.
struct CommandLine {
    Action action = Action::help;
    velmora_submit_options submit{};  // encode, count
    std::optional<std::string> data;  // encode --data: octets sent instead of text
    bool at = false;                  // encode: AT+CMGS lines
    bool json = false;                // count, decode
    bool explain = false;             // decode: the field map of each PDU
    unsigned decode_flags = 0;        // VELMORA_CDMA, VELMORA_NO_SMSC
    std::vector<std::string> words;   // the text of encode and count, the PDUs of decode
    std::vector<GivenOption> given;   // the options as given, in order
};

CommandLine parse_command_line(int argc, char **argv);

std::string usage();

// Why the library refused the sending options (VELMORA_E_ARGUMENT, error.field naming a
// member of velmora_submit_options), told by the option behind that member:
// "--reference '300' is refused: ...", "--from NUMBER is missing: ...".
std::string describe_refused_option(const CommandLine &line, const velmora_error &error);

// Every option name of the table, for checking the README against it.
std::vector<std::string_view> option_names();

}  // namespace velmora::cli
