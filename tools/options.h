// Command line of the velmora tool.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::cli {

// A command line the tool cannot act on; main prints it on one line and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Number {
    std::string digits;  // '0'-'9' only
    std::uint32_t type = 0x81;
    bool given = false;
};

struct EncodeOptions {
    bool cdma = false;
    bool at = false;
    int debug = 0;
    Number to;
    Number from;
    std::uint32_t reference = 0;  // of a concatenated message, 1-254; 0: a random one
    std::vector<std::string> text;  // the words of the message; empty: read standard input
};

struct DecodeOptions {
    bool cdma = false;
    bool no_smsc = false;
    bool json = false;
    std::vector<std::string> pdus;  // empty: read standard input
};

enum class Action { help, version, encode, decode };

struct CommandLine {
    Action action = Action::help;
    EncodeOptions encode;
    DecodeOptions decode;
};

CommandLine parse_command_line(int argc, char **argv);

// "+4912345" -> digits 4912345, type 0x91; "12345" -> type 0x81. Throws UsageError
// naming the option and the offending character.
Number parse_number(const std::string &option, const std::string &value);

extern const char kUsage[];

}  // namespace velmora::cli
