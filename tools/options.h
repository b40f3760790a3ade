// Command line of the velmora tool.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "velmora/sms.h"

namespace velmora::cli {

// A command line the tool cannot act on; main prints it on one line and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The message to send and how: the library's options, with the strings they point into.
struct EncodeOptions {
    velmora_submit_options submit{};
    std::string to, from, smsc;
    bool at = false;
    bool data_given = false;
    std::string data;               // octets of --data HEX
    std::vector<std::string> text;  // the words of the message; empty: read standard input

    // submit with its string members pointing at the strings above.
    velmora_submit_options library_options() const;
};

struct DecodeOptions {
    bool cdma = false;
    bool no_smsc = false;
    bool json = false;
    bool explain = false;           // each PDU as annotated hex, or with a "fields" array in JSON
    std::vector<std::string> pdus;  // empty: read standard input
};

enum class Action { help, version, encode, decode, count };

struct CommandLine {
    Action action = Action::help;
    EncodeOptions encode;  // also what count counts
    bool json = false;     // count --json
    DecodeOptions decode;
};

CommandLine parse_command_line(int argc, char **argv);

extern const char kUsage[];

}  // namespace velmora::cli
