#include "options.h"

#include <charconv>
#include <ctime>
#include <string_view>

namespace velmora::cli {

const char kUsage[] =
    "Usage: velmora encode --to NUMBER [options] [--] [TEXT...]\n"
    "       velmora count [--alphabet A] [--languages LIST] [--json] [--] [TEXT...]\n"
    "       velmora decode [--cdma | --no-smsc] [--json] [--explain] [PDU...]\n"
    "       velmora --help | --version\n"
    "\n"
    "encode  Encodes TEXT (the words joined by blanks; standard input without its final line\n"
    "        break when no TEXT is given) into SMS-SUBMIT PDUs, one hex PDU per line: one\n"
    "        part when it fits, otherwise up to 255 concatenated parts.\n"
    "  --to NUMBER            destination; a leading + makes it international (type 0x91)\n"
    "  --to-type TYPE         type-of-address octet, e.g. 0x81 or 0x91\n"
    "  --alphabet A           auto (default), gsm7 or ucs2\n"
    "  --languages LIST       national language tables allowed, e.g. turkish,spanish,portuguese\n"
    "  --smsc NUMBER          service-centre address (default: none, the modem's own)\n"
    "  --status-report        ask for a delivery report\n"
    "  --class N              message class 0 (flash) to 3\n"
    "  --validity DURATION    30m, 12h, 4d, 63w or none (default: 4d on a single PDU)\n"
    "  --validity-until TIME  absolute validity, ISO 8601, e.g. 2026-12-24T18:00:00+01:00\n"
    "  --reference N          reference of a concatenated message (default random)\n"
    "  --reference-bits B     8 (default) or 16\n"
    "  --message-reference N  TP-MR, 0-255\n"
    "  --port DEST[:SRC]      16-bit application ports, e.g. 2948 for WAP push\n"
    "  --data HEX             8-bit data instead of text\n"
    "  --at                   precede each GSM PDU with the AT+CMGS=<TPDU octets> line\n"
    "  --cdma                 3GPP2 PDUs instead of GSM; needs --from\n"
    "  --from NUMBER          3GPP2 callback number\n"
    "  --from-type TYPE       its type-of-address octet\n"
    "\n"
    "count   Shows what encode would make of TEXT: the alphabet, the parts, the units\n"
    "        (septets, octets or UTF-16 units) per part, used and left in the last part.\n"
    "  --json                 one JSON object\n"
    "\n"
    "decode  Decodes PDUs (SMS-DELIVER, SMS-SUBMIT, SMS-STATUS-REPORT, or 3GPP2 with --cdma)\n"
    "        given as arguments or one per line on standard input: bare PDU lines, or modem\n"
    "        output where +CMGL:, +CMGR:, +CMT: and +CDS: lines lead their PDU (other lines\n"
    "        are skipped). Parts of a concatenated message are also shown joined.\n"
    "  --json                 one JSON object per message per line\n"
    "  --no-smsc              the PDUs start without the service-centre address\n"
    "  --explain              each PDU as annotated hex, one field a line; with --json a \"fields\" array\n"
    "  --cdma                 3GPP2 PDUs instead of GSM\n"
    "\n"
    "Text is UTF-8 on the terminal.\n"
    "Exit status: 0 success, 1 some input could not be encoded or decoded, 2 usage error.\n";

namespace {

[[noreturn]] void bad_value(const std::string &option, const std::string &value, const std::string &wanted) {
    throw UsageError(option + ": '" + value + "' is not " + wanted);
}

std::uint32_t parse_unsigned(const std::string &option, std::string_view value, std::uint32_t max,
                             int base = 10) {
    std::uint32_t parsed = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), parsed, base);
    if (value.empty() || ec != std::errc{} || end != value.data() + value.size() || parsed > max)
        bad_value(option, std::string(value), "a number from 0 to " + std::to_string(max));
    return parsed;
}

int parse_type(const std::string &option, const std::string &value) {
    std::string_view digits = value;
    const bool hex = digits.starts_with("0x") || digits.starts_with("0X");
    if (hex)
        digits.remove_prefix(2);
    std::uint32_t type = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), type, hex ? 16 : 10);
    if (digits.empty() || ec != std::errc{} || end != digits.data() + digits.size() || type > 0xFF)
        bad_value(option, value, "a type-of-address octet (0 to 255, e.g. 0x81)");
    return static_cast<int>(type);
}

std::uint8_t parse_alphabet(const std::string &value) {
    if (value == "auto")
        return VELMORA_ALPHABET_AUTO;
    if (value == "gsm7")
        return VELMORA_ALPHABET_GSM7;
    if (value == "ucs2")
        return VELMORA_ALPHABET_UCS2;
    bad_value("--alphabet", value, "auto, gsm7 or ucs2");
}

std::uint16_t parse_languages(const std::string &value) {
    std::uint16_t languages = 0;
    std::string_view rest = value;
    while (!rest.empty()) {
        const std::string name(rest.substr(0, rest.find(',')));
        rest.remove_prefix(std::min(rest.size(), name.size() + 1));
        const int id = velmora_language_id(name.c_str());
        if (id < 0) {
            std::string known;
            for (int i = 1; velmora_language_name(i) != nullptr; ++i)
                known += (i == 1 ? "" : ", ") + std::string(velmora_language_name(i));
            bad_value("--languages", name, "a national language (" + known + ")");
        }
        languages = static_cast<std::uint16_t>(languages | VELMORA_LANGUAGE_BIT(id));
    }
    return languages;
}

// "30m", "12h", "4d", "63w" as minutes.
std::uint32_t parse_duration(const std::string &value) {
    static const struct {
        char unit;
        std::uint32_t minutes;
    } kUnits[] = {{'m', 1}, {'h', 60}, {'d', 24 * 60}, {'w', 7 * 24 * 60}};
    for (const auto &unit : kUnits)
        if (value.size() >= 2 && value.back() == unit.unit) {
            const std::uint32_t count =
                parse_unsigned("--validity", std::string_view(value).substr(0, value.size() - 1), 0xFFFFFF);
            return count * unit.minutes;
        }
    bad_value("--validity", value, "a duration such as 30m, 12h, 4d or 63w, or none");
}

// ISO 8601 date and time ("2026-12-24T18:00:00+01:00", seconds and the offset optional,
// 'Z' for UTC, a blank instead of 'T'); without an offset, the local zone's at that time.
velmora_time parse_time(const std::string &value) {
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int used = 0;
    const char *text = value.c_str();
    if (std::sscanf(text, "%4u-%2u-%2u%*1[T ]%2u:%2u%n", &year, &month, &day, &hour, &minute, &used) != 5)
        bad_value("--validity-until", value, "a time such as 2026-12-24T18:00:00+01:00");
    std::string_view rest = std::string_view(value).substr(static_cast<std::size_t>(used));
    if (rest.starts_with(':')) {
        second = parse_unsigned("--validity-until", rest.substr(1, 2), 59);
        rest.remove_prefix(std::min<std::size_t>(3, rest.size()));
    }
    velmora_time t{static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month), static_cast<std::uint8_t>(day),
                   static_cast<std::uint8_t>(hour), static_cast<std::uint8_t>(minute),
                   static_cast<std::uint8_t>(second), 1, 0};
    if (rest == "Z") {
        return t;
    } else if (rest.size() == 6 && (rest[0] == '+' || rest[0] == '-') && rest[3] == ':') {
        const int minutes = static_cast<int>(parse_unsigned("--validity-until", rest.substr(1, 2), 23) * 60 +
                                             parse_unsigned("--validity-until", rest.substr(4, 2), 59));
        t.utc_offset = static_cast<std::int16_t>(rest[0] == '-' ? -minutes : minutes);
    } else if (rest.empty()) {
        std::tm local{};
        local.tm_year = static_cast<int>(year) - 1900, local.tm_mon = static_cast<int>(month) - 1;
        local.tm_mday = static_cast<int>(day), local.tm_hour = static_cast<int>(hour);
        local.tm_min = static_cast<int>(minute), local.tm_sec = static_cast<int>(second), local.tm_isdst = -1;
        std::mktime(&local);
        t.utc_offset = static_cast<std::int16_t>(local.tm_gmtoff / 60);
    } else {
        bad_value("--validity-until", value, "a time such as 2026-12-24T18:00:00+01:00");
    }
    return t;
}

std::string parse_hex(const std::string &value) {
    if (value.size() % 2 != 0)
        bad_value("--data", value, "hex octets (an even number of hex digits)");
    std::string octets;
    for (std::size_t i = 0; i < value.size(); i += 2)
        octets += static_cast<char>(parse_unsigned("--data", std::string_view(value).substr(i, 2), 0xFF, 16));
    return octets;
}

// Options that take a value accept both "--to 123" and "--to=123".
class ArgumentCursor {
public:
    ArgumentCursor(int argc, char **argv, int first) : argc_(argc), argv_(argv), next_(first) {}

    bool done() const { return next_ >= argc_; }
    std::string take() { return argv_[next_++]; }

private:
    int argc_;
    char **argv_;
    int next_;
};

// Walks the arguments: `option(name, value)` takes an option (value for those that
// take one, fetched on request), everything else is a word of the text.
template <class Option>
void parse_arguments(ArgumentCursor &args, std::vector<std::string> &words, Option &&option) {
    bool options_ended = false;
    while (!args.done()) {
        std::string arg = args.take();
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        const auto eq = arg.find('=');
        const bool has_inline = arg.starts_with("--") && eq != std::string::npos;
        const std::string name = has_inline ? arg.substr(0, eq) : arg;
        bool value_taken = false;
        const auto value = [&] {
            value_taken = true;
            if (has_inline)
                return arg.substr(eq + 1);
            if (args.done())
                throw UsageError(name + " needs a value");
            return args.take();
        };
        if (!option(name, value))
            throw UsageError("unknown option '" + arg + "'");
        if (has_inline && !value_taken)
            throw UsageError(name + " takes no value");
    }
}

// What encode and count share: the alphabet and the national languages.
template <class Value>
bool text_option(const std::string &name, Value &&value, velmora_submit_options &o) {
    if (name == "--alphabet")
        o.alphabet = parse_alphabet(value());
    else if (name == "--languages")
        o.languages = parse_languages(value());
    else
        return false;
    return true;
}

void parse_encode(ArgumentCursor &args, EncodeOptions &e) {
    velmora_submit_options &o = e.submit;
    bool to_given = false, from_given = false, reference_given = false;
    std::string to_type, from_type;
    parse_arguments(args, e.text, [&](const std::string &name, auto &&value) {
        if (text_option(name, value, o))
            return true;
        if (name == "--to")
            e.to = value(), to_given = true;
        else if (name == "--to-type")
            to_type = value();
        else if (name == "--from")
            e.from = value(), from_given = true;
        else if (name == "--from-type")
            from_type = value();
        else if (name == "--cdma")
            o.format = VELMORA_FORMAT_CDMA;
        else if (name == "--at")
            e.at = true;
        else if (name == "--smsc")
            e.smsc = value();
        else if (name == "--status-report")
            o.status_report = 1;
        else if (name == "--class")
            o.message_class = static_cast<std::int8_t>(parse_unsigned(name, value(), 3));
        else if (name == "--validity") {
            const std::string duration = value();
            if (duration == "none") {
                o.validity = VELMORA_VALIDITY_OMIT;
            } else {
                o.validity = VELMORA_VALIDITY_MINUTES;
                o.validity_minutes = parse_duration(duration);
            }
        } else if (name == "--validity-until") {
            o.validity = VELMORA_VALIDITY_UNTIL;
            o.validity_until = parse_time(value());
        } else if (name == "--reference") {
            o.reference = static_cast<std::int32_t>(parse_unsigned(name, value(), 0xFFFF));
            reference_given = true;
        } else if (name == "--reference-bits") {
            const std::string bits = value();
            if (bits != "8" && bits != "16")
                bad_value(name, bits, "8 or 16");
            o.reference_bits = static_cast<std::uint8_t>(std::stoi(bits));
        } else if (name == "--message-reference")
            o.message_reference = static_cast<std::uint8_t>(parse_unsigned(name, value(), 0xFF));
        else if (name == "--port") {
            const std::string ports = value();
            const auto colon = ports.find(':');
            o.port_bits = 16;
            o.destination_port = static_cast<std::uint16_t>(parse_unsigned(name, ports.substr(0, colon), 0xFFFF));
            if (colon != std::string::npos)
                o.source_port = static_cast<std::uint16_t>(parse_unsigned(name, ports.substr(colon + 1), 0xFFFF));
        } else if (name == "--data")
            e.data = parse_hex(value()), e.data_given = true;
        else
            return false;
        return true;
    });
    if (!to_given)
        throw UsageError("encode: --to NUMBER is missing");
    if (!to_type.empty())
        o.to_type = parse_type("--to-type", to_type);
    if (!from_type.empty()) {
        if (!from_given)
            throw UsageError("encode: --from-type needs --from NUMBER");
        o.from_type = parse_type("--from-type", from_type);
    }
    const bool cdma = o.format == VELMORA_FORMAT_CDMA;
    if (cdma && !from_given)
        throw UsageError("encode: --cdma needs the callback number, --from NUMBER");
    if (!cdma && from_given)
        throw UsageError("encode: --from is a 3GPP2 callback number; use it with --cdma");
    if (cdma && e.at)
        throw UsageError("encode: --at applies to GSM PDUs, not to --cdma");
    if (e.data_given && !e.text.empty())
        throw UsageError("encode: --data replaces the text; give one or the other");
    if (reference_given && o.reference > (o.reference_bits == 16 ? 0xFFFF : 0xFF))
        throw UsageError("encode: --reference " + std::to_string(o.reference) + " does not fit in " +
                         std::to_string(o.reference_bits) + " bits");
}

void parse_count(ArgumentCursor &args, CommandLine &line) {
    parse_arguments(args, line.encode.text, [&](const std::string &name, auto &&value) {
        if (name != "--json")
            return text_option(name, value, line.encode.submit);
        line.json = true;
        return true;
    });
}

void parse_decode(ArgumentCursor &args, DecodeOptions &o) {
    parse_arguments(args, o.pdus, [&](const std::string &name, auto &&) {
        if (name == "--cdma")
            o.cdma = true;
        else if (name == "--no-smsc")
            o.no_smsc = true;
        else if (name == "--json")
            o.json = true;
        else if (name == "--explain")
            o.explain = true;
        else
            return false;
        return true;
    });
    if (o.cdma && o.no_smsc)
        throw UsageError("decode: --no-smsc applies to GSM PDUs; 3GPP2 PDUs have no service-centre address");
}

}  // namespace

velmora_submit_options EncodeOptions::library_options() const {
    velmora_submit_options o = submit;
    o.to = to.c_str();
    o.from = from.empty() ? nullptr : from.c_str();
    o.smsc = smsc.empty() ? nullptr : smsc.c_str();
    return o;
}

CommandLine parse_command_line(int argc, char **argv) {
    CommandLine line;
    velmora_submit_options_init(&line.encode.submit);
    if (argc < 2)
        throw UsageError("a command is missing: encode, count or decode");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help")
        return line;
    if (command == "--version") {
        line.action = Action::version;
        return line;
    }
    if (command != "encode" && command != "decode" && command != "count") {
        if (command.starts_with('-'))
            throw UsageError("unknown option '" + command + "'");
        throw UsageError("unknown command '" + command + "' (encode, count or decode)");
    }
    for (int i = 2; i < argc && std::string_view(argv[i]) != "--"; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h")
            return line;
    ArgumentCursor args(argc, argv, 2);
    try {
        if (command == "encode") {
            line.action = Action::encode;
            parse_encode(args, line.encode);
        } else if (command == "count") {
            line.action = Action::count;
            parse_count(args, line);
        } else {
            line.action = Action::decode;
            parse_decode(args, line.decode);
        }
    } catch (const UsageError &e) {
        const std::string what = e.what();
        throw UsageError(what.starts_with(command + ": ") ? what : command + ": " + what);
    }
    return line;
}

}  // namespace velmora::cli
