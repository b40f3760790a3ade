#include "options.h"

#include <charconv>
#include <string_view>

namespace velmora::cli {

const char kUsage[] =
    "Usage: velmora encode [--cdma] --to NUMBER [--to-type TYPE] [--from NUMBER [--from-type TYPE]]\n"
    "                      [--reference N] [--at] [--debug] [--] [TEXT...]\n"
    "       velmora decode [--cdma | --no-smsc] [--json] [PDU...]\n"
    "       velmora --help | --version\n"
    "\n"
    "encode  Encodes TEXT (the words joined by blanks; standard input without its final line\n"
    "        break when no TEXT is given) into SMS-SUBMIT PDUs, one hex PDU per line. A text\n"
    "        longer than 160 GSM characters becomes up to 6 concatenated parts.\n"
    "  --to NUMBER       destination; a leading + selects type 0x91 (international)\n"
    "  --to-type TYPE    type-of-address octet, e.g. 0x81 or 0x91 (default 0x81)\n"
    "  --from NUMBER     callback number, required with --cdma\n"
    "  --from-type TYPE  type-of-address octet of the callback number\n"
    "  --cdma            3GPP2 PDUs instead of GSM\n"
    "  --reference N     reference number (1-254) of a concatenated message (default random)\n"
    "  --at              precede each GSM PDU with the AT+CMGS=<TPDU octets> line a modem needs\n"
    "\n"
    "decode  Decodes PDUs (SMS-DELIVER, SMS-SUBMIT, SMS-STATUS-REPORT, or 3GPP2 with --cdma)\n"
    "        given as arguments or one per line on standard input: bare PDU lines, or modem\n"
    "        output where +CMGL:, +CMGR:, +CMT: and +CDS: lines lead their PDU (other lines\n"
    "        are skipped). Parts of a concatenated message are also shown joined.\n"
    "  --json            one JSON object per message per line\n"
    "  --no-smsc         the PDUs start without the service-centre address\n"
    "  --cdma            3GPP2 PDUs instead of GSM\n"
    "\n"
    "Text is UTF-8 on the terminal. Characters outside the GSM 7-bit alphabet are refused.\n"
    "  --debug           (encode) the library's trace lines on standard output\n"
    "Exit status: 0 success, 1 some input could not be encoded or decoded, 2 usage error.\n";

namespace {

constexpr std::size_t kMaxDigits = 20;  // an SMS address field holds at most 20 digits

std::uint32_t parse_type(const std::string &option, const std::string &value) {
    std::string_view digits = value;
    int base = 10;
    if (digits.starts_with("0x") || digits.starts_with("0X")) {
        digits.remove_prefix(2);
        base = 16;
    }
    unsigned parsed = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed, base);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() || parsed > 0xFF)
        throw UsageError(option + ": '" + value + "' is not a type-of-address octet (0 to 255, e.g. 0x81)");
    return parsed;
}

// Options that take a value accept both "--to 123" and "--to=123".
class ArgumentCursor {
public:
    ArgumentCursor(int argc, char **argv, int first) : argc_(argc), argv_(argv), next_(first) {}

    bool done() const { return next_ >= argc_; }
    std::string take() { return argv_[next_++]; }
    std::string value_of(const std::string &option, std::string &inline_value, bool has_inline) {
        if (has_inline)
            return inline_value;
        if (done())
            throw UsageError(option + " needs a value");
        return take();
    }

private:
    int argc_;
    char **argv_;
    int next_;
};

void parse_encode(ArgumentCursor &args, EncodeOptions &o) {
    std::string to_type, from_type;
    bool options_ended = false;
    while (!args.done()) {
        std::string arg = args.take();
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            o.text.push_back(arg);
            continue;
        }
        const auto eq = arg.find('=');
        const bool has_inline = arg.starts_with("--") && eq != std::string::npos;
        std::string inline_value = has_inline ? arg.substr(eq + 1) : std::string();
        const std::string name = has_inline ? arg.substr(0, eq) : arg;
        if (name == "--") {
            options_ended = true;
        } else if (name == "--cdma" && !has_inline) {
            o.cdma = true;
        } else if (name == "--at" && !has_inline) {
            o.at = true;
        } else if (name == "--debug" && !has_inline) {
            o.debug = 1;
        } else if (name == "--to") {
            o.to = parse_number(name, args.value_of(name, inline_value, has_inline));
        } else if (name == "--from") {
            o.from = parse_number(name, args.value_of(name, inline_value, has_inline));
        } else if (name == "--reference") {
            const std::string value = args.value_of(name, inline_value, has_inline);
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), o.reference);
            if (value.empty() || ec != std::errc{} || end != value.data() + value.size() || o.reference < 1 ||
                o.reference > 254)
                throw UsageError("--reference: '" + value + "' is not a number from 1 to 254");
        } else if (name == "--to-type") {
            to_type = args.value_of(name, inline_value, has_inline);
        } else if (name == "--from-type") {
            from_type = args.value_of(name, inline_value, has_inline);
        } else {
            throw UsageError("encode: unknown option '" + arg + "'");
        }
    }
    if (!o.to.given)
        throw UsageError("encode: --to NUMBER is missing");
    if (!to_type.empty())
        o.to.type = parse_type("--to-type", to_type);
    if (!from_type.empty()) {
        if (!o.from.given)
            throw UsageError("encode: --from-type needs --from NUMBER");
        o.from.type = parse_type("--from-type", from_type);
    }
    if (o.cdma && !o.from.given)
        throw UsageError("encode: --cdma needs the callback number, --from NUMBER");
    if (!o.cdma && o.from.given)
        throw UsageError("encode: --from is a 3GPP2 callback number; use it with --cdma");
    if (o.cdma && o.at)
        throw UsageError("encode: --at applies to GSM PDUs, not to --cdma");
}

void parse_decode(ArgumentCursor &args, DecodeOptions &o) {
    bool options_ended = false;
    while (!args.done()) {
        std::string arg = args.take();
        if (options_ended || arg.empty() || arg[0] != '-')
            o.pdus.push_back(arg);
        else if (arg == "--")
            options_ended = true;
        else if (arg == "--cdma")
            o.cdma = true;
        else if (arg == "--no-smsc")
            o.no_smsc = true;
        else if (arg == "--json")
            o.json = true;
        else
            throw UsageError("decode: unknown option '" + arg + "'");
    }
    if (o.cdma && o.no_smsc)
        throw UsageError("decode: --no-smsc applies to GSM PDUs; 3GPP2 PDUs have no service-centre address");
}

}  // namespace

Number parse_number(const std::string &option, const std::string &value) {
    Number number;
    number.given = true;
    std::string_view digits = value;
    if (digits.starts_with('+')) {
        number.type = 0x91;
        digits.remove_prefix(1);
    }
    if (digits.empty())
        throw UsageError(option + ": the number is empty");
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            throw UsageError(option + ": '" + value + "' is not a telephone number ('" +
                             std::string(1, digits[i]) + "' at position " +
                             std::to_string(i + 1 + value.size() - digits.size()) + ")");
    }
    if (digits.size() > kMaxDigits)
        throw UsageError(option + ": " + std::to_string(digits.size()) + " digits, at most " +
                         std::to_string(kMaxDigits));
    number.digits = digits;
    return number;
}

CommandLine parse_command_line(int argc, char **argv) {
    CommandLine line;
    if (argc < 2)
        throw UsageError("a command is missing: encode or decode");
    const std::string command = argv[1];
    ArgumentCursor args(argc, argv, 2);
    if (command == "--help" || command == "-h" || command == "help") {
        line.action = Action::help;
    } else if (command == "--version") {
        line.action = Action::version;
    } else if (command == "encode" || command == "decode") {
        for (int i = 2; i < argc && std::string_view(argv[i]) != "--"; ++i) {
            if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
                line.action = Action::help;
                return line;
            }
        }
        if (command == "encode") {
            line.action = Action::encode;
            parse_encode(args, line.encode);
        } else {
            line.action = Action::decode;
            parse_decode(args, line.decode);
        }
    } else if (command.starts_with('-')) {
        throw UsageError("unknown option '" + command + "'");
    } else {
        throw UsageError("unknown command '" + command + "' (encode or decode)");
    }
    return line;
}

}  // namespace velmora::cli
