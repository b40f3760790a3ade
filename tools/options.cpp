// SPDX-License-Identifier: Apache-2.0
#include "options.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <limits>
#include <type_traits>

#include "text.h"

namespace velmora::cli {

// A row of the option table. The tool checks only the form of a value; the library
// alone decides whether it is allowed, and names the member it refuses.
struct Option {
    std::string_view name;     // "--to"
    std::string_view value;    // what it takes, as the usage shows it; "" for none
    std::string_view help;     // the usage line, also told when the library refuses the value
    unsigned commands;         // the commands that take it
    std::string_view members;  // the velmora_submit_options members it sets, blank-separated
    bool gsm_only;             // a choice of the tool's own that --cdma excludes
    void (*apply)(CommandLine &, const char *value);  // throws BadValue for a value of the wrong form
};

namespace {

constexpr unsigned kEncode = 1, kCount = 2, kDecode = 4;

// A value of the wrong form, and what the option wants instead.
struct BadValue {
    std::string wanted;
};

template <class T>
std::optional<T> parse_number(std::string_view text, int base = 10) {
    std::uint64_t n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n, base);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() ||
        n > static_cast<std::uint64_t>(std::numeric_limits<T>::max()))
        return std::nullopt;
    return static_cast<T>(n);
}

// A number into a member of velmora_submit_options: any that the member holds.
template <auto Member>
void set_number(CommandLine &line, const char *value) {
    using T = std::remove_reference_t<decltype(line.submit.*Member)>;
    const auto n = parse_number<T>(value);
    if (!n)
        throw BadValue{"a number from 0 to " + std::to_string(std::numeric_limits<T>::max())};
    line.submit.*Member = *n;
}

// A type-of-address octet: decimal, or hex after 0x.
template <auto Member>
void set_type(CommandLine &line, const char *value) {
    const std::string_view text = value;
    const bool hex = text.starts_with("0x") || text.starts_with("0X");
    const auto type = parse_number<std::uint8_t>(hex ? text.substr(2) : text, hex ? 16 : 10);
    if (!type)
        throw BadValue{"a type-of-address octet (0 to 255, e.g. 0x81)"};
    line.submit.*Member = *type;
}

// "auto" or a name of velmora_alphabet_name.
void set_alphabet(CommandLine &line, const char *value) {
    if (std::string_view(value) == "auto") {
        line.submit.alphabet = VELMORA_ALPHABET_AUTO;
        return;
    }
    std::string known = "auto";
    for (int id = 0; velmora_alphabet_name(id) != nullptr; ++id) {
        if (std::string_view(value) == velmora_alphabet_name(id)) {
            line.submit.alphabet = static_cast<std::uint8_t>(id);
            return;
        }
        known += (velmora_alphabet_name(id + 1) != nullptr ? ", " : " or ") + std::string(velmora_alphabet_name(id));
    }
    throw BadValue{known};
}

// "turkish,spanish": names of velmora_language_id.
void set_languages(CommandLine &line, const char *value) {
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
            throw BadValue{"a national language (" + known + ")"};
        }
        languages = static_cast<std::uint16_t>(languages | VELMORA_LANGUAGE_BIT(id));
    }
    line.submit.languages = languages;
}

// "30m", "12h", "4d", "63w" as minutes (past 32 bits: the most a member holds, for the
// library to refuse), or "none".
void set_validity(CommandLine &line, const char *value) {
    static constexpr struct {
        char unit;
        std::uint64_t minutes;
    } kUnits[] = {{'m', 1}, {'h', 60}, {'d', 24 * 60}, {'w', 7 * 24 * 60}};
    const std::string_view text = value;
    if (text == "none") {
        line.submit.validity = VELMORA_VALIDITY_OMIT;
        return;
    }
    for (const auto &unit : kUnits)
        if (text.size() >= 2 && text.back() == unit.unit)
            if (const auto count = parse_number<std::uint32_t>(text.substr(0, text.size() - 1))) {
                line.submit.validity = VELMORA_VALIDITY_MINUTES;
                line.submit.validity_minutes =
                    static_cast<std::uint32_t>(std::min<std::uint64_t>(*count * unit.minutes, UINT32_MAX));
                return;
            }
    throw BadValue{"a duration such as 30m, 12h, 4d or 63w, or none"};
}

// ISO 8601 date and time ("2026-12-24T18:00:00+01:00", seconds and the offset optional,
// 'Z' for UTC, a blank instead of 'T'); without an offset, the local zone's at that time.
std::optional<velmora_time> parse_time(std::string_view text) {
    const auto digits = [&](std::size_t at, std::size_t count) {
        return at + count <= text.size() ? parse_number<std::uint16_t>(text.substr(at, count)) : std::nullopt;
    };
    const auto year = digits(0, 4), month = digits(5, 2), day = digits(8, 2), hour = digits(11, 2),
               minute = digits(14, 2);
    if (!year || !month || !day || !hour || !minute || text[4] != '-' || text[7] != '-' ||
        (text[10] != 'T' && text[10] != ' ') || text[13] != ':')
        return std::nullopt;
    velmora_time t{*year, static_cast<std::uint8_t>(*month), static_cast<std::uint8_t>(*day),
                   static_cast<std::uint8_t>(*hour), static_cast<std::uint8_t>(*minute), 0, 1, 0};
    std::string_view rest = text.substr(16);
    if (rest.starts_with(':')) {
        const auto second = digits(17, 2);
        if (!second)
            return std::nullopt;
        t.second = static_cast<std::uint8_t>(*second);
        rest.remove_prefix(3);
    }
    if (rest == "Z")
        return t;
    if (rest.empty()) {
        std::tm local{};
        local.tm_year = t.year - 1900, local.tm_mon = t.month - 1, local.tm_mday = t.day;
        local.tm_hour = t.hour, local.tm_min = t.minute, local.tm_sec = t.second, local.tm_isdst = -1;
        std::mktime(&local);
        t.utc_offset = static_cast<std::int16_t>(local.tm_gmtoff / 60);
        return t;
    }
    const auto hours = rest.size() == 6 ? parse_number<std::uint8_t>(rest.substr(1, 2)) : std::nullopt;
    const auto minutes = rest.size() == 6 ? parse_number<std::uint8_t>(rest.substr(4, 2)) : std::nullopt;
    if (!hours || !minutes || (rest[0] != '+' && rest[0] != '-') || rest[3] != ':')
        return std::nullopt;
    const int offset = *hours * 60 + *minutes;
    t.utc_offset = static_cast<std::int16_t>(rest[0] == '-' ? -offset : offset);
    return t;
}

void set_validity_until(CommandLine &line, const char *value) {
    const auto time = parse_time(value);
    if (!time)
        throw BadValue{"a time such as 2026-12-24T18:00:00+01:00"};
    line.submit.validity = VELMORA_VALIDITY_UNTIL;
    line.submit.validity_until = *time;
}

// DEST or DEST:SRC, 16-bit application ports.
void set_ports(CommandLine &line, const char *value) {
    const std::string_view text = value;
    const auto colon = text.find(':');
    const auto destination = parse_number<std::uint16_t>(text.substr(0, colon));
    const auto source = colon == std::string_view::npos ? std::optional<std::uint16_t>(0)
                                                        : parse_number<std::uint16_t>(text.substr(colon + 1));
    if (!destination || !source)
        throw BadValue{"ports DEST or DEST:SRC, each from 0 to 65535"};
    line.submit.port_bits = 16;
    line.submit.destination_port = *destination;
    line.submit.source_port = *source;
}

void set_data(CommandLine &line, const char *value) {
    const std::string_view hex = value;
    std::string octets;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        if (const auto octet = parse_number<std::uint8_t>(hex.substr(i, 2), 16))
            octets += static_cast<char>(*octet);
    if (hex.size() % 2 != 0 || octets.size() != hex.size() / 2)
        throw BadValue{"hex octets (an even number of hex digits)"};
    line.data = octets;
}

constexpr Option kOptions[] = {
    {"--to", "NUMBER", "destination: up to 20 digits and * # a b c; international after a leading +",
     kEncode, "to", false, [](CommandLine &l, const char *v) { l.submit.to = v; }},
    {"--to-type", "TYPE", "its type-of-address octet: 0x80-0xFF, not 0xD0-0xDF (alphanumeric)",
     kEncode, "to_type", false, set_type<&velmora_submit_options::to_type>},
    {"--alphabet", "A", "auto (default: the fewest parts), gsm7, ucs2, or 8bit (the UTF-8 bytes)",
     kEncode | kCount, "alphabet", false, set_alphabet},
    {"--languages", "LIST", "national language tables allowed, e.g. turkish,spanish,portuguese",
     kEncode | kCount, "languages", false, set_languages},
    {"--smsc", "NUMBER", "service-centre address, GSM only (default: none, the modem's own)",
     kEncode, "smsc", false, [](CommandLine &l, const char *v) { l.submit.smsc = v; }},
    {"--status-report", "", "ask for a delivery report, GSM only",
     kEncode, "status_report", false, [](CommandLine &l, const char *) { l.submit.status_report = 1; }},
    {"--class", "N", "message class 0 (flash) to 3, GSM only",
     kEncode, "message_class", false, set_number<&velmora_submit_options::message_class>},
    {"--validity", "DURATION", "30m, 12h, 4d up to 63w, or none (default: 4d on a single GSM PDU)",
     kEncode, "validity validity_minutes", false, set_validity},
    {"--validity-until", "TIME", "absolute validity (1990-2089), e.g. 2026-12-24T18:00:00+01:00; GSM only",
     kEncode, "validity validity_until", false, set_validity_until},
    {"--reference", "N", "concatenation reference: 0-255, 0-65535 with 16 bits (default random)",
     kEncode, "reference", false, set_number<&velmora_submit_options::reference>},
    {"--reference-bits", "B", "8 (default) or 16",
     kEncode, "reference_bits", false, set_number<&velmora_submit_options::reference_bits>},
    {"--message-reference", "N", "TP-MR, 0-255, GSM only",
     kEncode, "message_reference", false, set_number<&velmora_submit_options::message_reference>},
    {"--port", "DEST[:SRC]", "16-bit application ports, e.g. 2948 for WAP push",
     kEncode, "port_bits destination_port source_port", false, set_ports},
    {"--data", "HEX", "8-bit data instead of text",
     kEncode, "", false, set_data},
    {"--at", "", "precede each GSM PDU with the AT+CMGS=<TPDU octets> line",
     kEncode, "", true, [](CommandLine &l, const char *) { l.at = true; }},
    {"--cdma", "", "3GPP2 PDUs instead of GSM; needs --from",
     kEncode, "format", false, [](CommandLine &l, const char *) { l.submit.format = VELMORA_FORMAT_CDMA; }},
    {"--from", "NUMBER", "3GPP2 callback number: needed with --cdma, refused without",
     kEncode, "from", false, [](CommandLine &l, const char *v) { l.submit.from = v; }},
    {"--from-type", "TYPE", "its type-of-address octet, with --cdma only",
     kEncode, "from_type", false, set_type<&velmora_submit_options::from_type>},
    {"--json", "", "one JSON object",
     kCount, "", false, [](CommandLine &l, const char *) { l.json = true; }},
    {"--json", "", "one JSON object per message or failure per line",
     kDecode, "", false, [](CommandLine &l, const char *) { l.json = true; }},
    {"--strict", "", "every warning fails the message instead",
     kDecode, "", false, [](CommandLine &l, const char *) { l.decode_flags |= VELMORA_STRICT; }},
    {"--explain", "", "each PDU as annotated hex, one field a line; with --json a \"fields\" array",
     kDecode, "", false, [](CommandLine &l, const char *) { l.explain = true; }},
    {"--no-smsc", "", "the PDUs start without the service-centre address",
     kDecode, "", true, [](CommandLine &l, const char *) { l.decode_flags |= VELMORA_NO_SMSC; }},
    {"--cdma", "", "3GPP2 PDUs instead of GSM",
     kDecode, "", false, [](CommandLine &l, const char *) { l.decode_flags |= VELMORA_CDMA; }},
};

struct Command {
    std::string_view name;
    Action action;
    unsigned bit;
    std::string_view operands;  // after the command on its usage line
    std::string_view about;     // lines after the first indented under it
};

constexpr Command kCommands[] = {
    {"encode", Action::encode, kEncode, "--to NUMBER [options] [--] [TEXT...]",
     "Encodes TEXT (the words joined by blanks; standard input without its final line\n"
     "break when no TEXT is given) into SMS-SUBMIT PDUs, one hex PDU per line: one\n"
     "part when it fits, otherwise up to 255 concatenated parts."},
    {"count", Action::count, kCount, "[options] [--] [TEXT...]",
     "Shows what encode would make of TEXT: the alphabet, the parts, the units\n"
     "(septets, octets or UTF-16 units) per part, used and left in the last part."},
    {"decode", Action::decode, kDecode, "[options] [PDU|FILE|-]...",
     "Decodes PDUs (SMS-DELIVER, SMS-SUBMIT, SMS-STATUS-REPORT, or 3GPP2 with --cdma)\n"
     "given as hex arguments, or read from files (- or none: standard input): bare\n"
     "PDU lines, or modem output in PDU mode where +CMGL:, +CMGR:, +CMT: and +CDS:\n"
     "lead their PDU, also behind log prefixes (other lines are skipped). Parts of a\n"
     "concatenated message are also shown joined. Fields that break the rules but\n"
     "leave the message readable are decoded with a warning."},
};

const Option *find_option(std::string_view name, unsigned command) {
    for (const Option &o : kOptions)
        if (o.name == name && (o.commands & command) != 0)
            return &o;
    return nullptr;
}

bool sets_member(const Option &o, std::string_view member) {
    const std::string members = " " + std::string(o.members) + " ";
    return !member.empty() && members.find(" " + std::string(member) + " ") != std::string::npos;
}

// Options that take a value accept both "--to 123" and "--to=123"; every value is a
// NUL-terminated tail of an argv string.
void parse_arguments(int argc, char **argv, unsigned command, CommandLine &line) {
    bool options_ended = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            line.words.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        const auto eq = arg.find('=');
        const bool inline_value = arg.starts_with("--") && eq != std::string_view::npos;
        const std::string name(inline_value ? arg.substr(0, eq) : arg);
        const Option *option = find_option(name, command);
        if (option == nullptr)
            throw UsageError("unknown option '" + std::string(arg) + "'");
        const char *value = nullptr;
        if (option->value.empty()) {
            if (inline_value)
                throw UsageError(name + " takes no value");
        } else if (inline_value) {
            value = argv[i] + eq + 1;
        } else if (++i < argc) {
            value = argv[i];
        } else {
            throw UsageError(name + " needs a value");
        }
        try {
            option->apply(line, value);
        } catch (const BadValue &bad) {
            throw UsageError(name + ": '" + value + "' is not " + bad.wanted);
        }
        line.given.push_back({option, value});
    }
}

// What the tool decides itself: the text or --data, and its GSM-only choices.
void check_own_choices(const CommandLine &line) {
    const auto given = [&](std::string_view name) {
        return std::any_of(line.given.begin(), line.given.end(), [&](const GivenOption &g) { return g.option->name == name; });
    };
    for (const GivenOption &g : line.given)
        if (g.option->gsm_only && given("--cdma"))
            throw UsageError(std::string(g.option->name) + " applies to GSM PDUs, not to --cdma");
    if (line.data && !line.words.empty())
        throw UsageError("--data replaces the text; give one or the other");
}

// " at position 4 ('-')": where the library stopped reading a number it was given as typed;
// "" at offset 0 before a digit or '+', where it refused the number whole.
std::string where_number_stops(std::string_view number, std::size_t at) {
    const bool whole = at == 0 && !number.empty() && ((number[0] >= '0' && number[0] <= '9') || number[0] == '+');
    if (at >= number.size() || whole)
        return "";
    std::size_t length = 1;  // the whole UTF-8 character
    while (at + length < number.size() && (static_cast<unsigned char>(number[at + length]) & 0xC0) == 0x80)
        ++length;
    return " at position " + std::to_string(character_position(number, at)) + " ('" +
           std::string(number.substr(at, length)) + "')";
}

// "  --to NUMBER            destination..."
std::string usage_line(const Option &o) {
    std::string out = "  " + std::string(o.name) + (o.value.empty() ? "" : " " + std::string(o.value));
    out.append(out.size() < 23 ? 25 - out.size() : 2, ' ');
    return out + std::string(o.help) + "\n";
}

}  // namespace

std::string usage() {
    std::string out;
    for (const Command &c : kCommands)
        out += (out.empty() ? "Usage: " : "       ") + std::string("velmora ") + std::string(c.name) + " " +
               std::string(c.operands) + "\n";
    out += "       velmora --help | --version\n";
    for (const Command &c : kCommands) {
        std::string about(c.name);
        about.append(8 - c.name.size(), ' ');
        for (const char ch : c.about)
            about += ch == '\n' ? "\n        " : std::string(1, ch);
        out += "\n" + about + "\n";
        for (const Option &o : kOptions)
            if (o.commands & c.bit)
                out += usage_line(o);
    }
    return out + "\nText is UTF-8 on the terminal.\n"
                 "Exit status: 0 success, 1 some input could not be encoded or decoded, 2 usage error.\n";
}

CommandLine parse_command_line(int argc, char **argv) {
    CommandLine line;
    velmora_submit_options_init(&line.submit);
    if (argc < 2)
        throw UsageError("a command is missing: encode, count or decode");
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help")
        return line;
    if (name == "--version") {
        line.action = Action::version;
        return line;
    }
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const Command &c) { return c.name == name; });
    if (command == std::end(kCommands))
        throw UsageError(name.starts_with('-') ? "unknown option '" + std::string(name) + "'"
                                               : "unknown command '" + std::string(name) + "' (encode, count or decode)");
    for (int i = 2; i < argc && std::string_view(argv[i]) != "--"; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h")
            return line;
    line.action = command->action;
    try {
        parse_arguments(argc, argv, command->bit, line);
        check_own_choices(line);
    } catch (const UsageError &e) {
        throw UsageError(std::string(name) + ": " + e.what());
    }
    return line;
}

std::string describe_refused_option(const CommandLine &line, const velmora_error &error) {
    const std::string_view member = error.field;
    const GivenOption *given = nullptr;  // the last option given that sets the member
    for (const GivenOption &g : line.given)
        if (sets_member(*g.option, member))
            given = &g;
    if (given == nullptr) {
        for (const Option &o : kOptions)
            if (sets_member(o, member))
                return std::string(o.name) + " " + std::string(o.value) + " is missing: " + std::string(o.help);
        return std::string(velmora_status_message(error.status)) + " (" + std::string(member) + ")";
    }
    const Option &o = *given->option;
    std::string out(o.name);
    if (given->value == nullptr)
        return out + " is refused: " + std::string(o.help);
    out += " '" + std::string(given->value) + "' is refused";
    if (o.value == "NUMBER")
        out += where_number_stops(given->value, error.offset);
    return out + ": " + std::string(o.help);
}

std::vector<std::string_view> option_names() {
    std::vector<std::string_view> names;
    for (const Option &o : kOptions)
        if (std::find(names.begin(), names.end(), o.name) == names.end())
            names.push_back(o.name);
    return names;
}

}  // namespace velmora::cli
