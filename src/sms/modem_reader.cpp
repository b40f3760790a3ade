// SPDX-License-Identifier: Apache-2.0
// Modem output in PDU mode (3GPP TS 27.005 3.4, 4.1), read line by line: the responses
// that announce a PDU, the PDU line after them, the results of sending, and nothing else.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string_view>

#include "sms/abi.h"
#include "sms/decoders.h"
#include "sms/modem_errors.h"
#include "velmora/sms.h"

namespace velmora::sms {
namespace {

// A response and where it starts on a line.
struct Found {
    velmora_modem_response response = VELMORA_RESPONSE_NONE;
    std::size_t at = std::string_view::npos;
    std::size_t prefix_length = 0;
};

struct Prefix {
    std::string_view text;
    velmora_modem_response response;
};
constexpr Prefix kPrefixes[] = {
    {"+CMGL:", VELMORA_RESPONSE_CMGL}, {"+CMGR:", VELMORA_RESPONSE_CMGR},
    {"+CMT:", VELMORA_RESPONSE_CMT},   {"+CDS:", VELMORA_RESPONSE_CDS},
    {"+CMGS:", VELMORA_RESPONSE_CMGS}, {"+CMSS:", VELMORA_RESPONSE_CMSS},
    {"+CMS ERROR:", VELMORA_RESPONSE_CMS_ERROR},
};

// Line breaks as they stand in a line: real ones, and as logs write them.
constexpr std::string_view kBreaks[] = {"\r", "\n", "<CR>", "<LF>", "\\r", "\\n"};

// Fields of a response: at most this many are read.
constexpr std::size_t kMaxFields = 8;
// A line of letters and digits this long is taken for a PDU even when not all are hex.
constexpr std::size_t kPduLikeLength = 16;

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
bool is_alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
bool is_hex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

std::size_t find_any_case(std::string_view text, std::string_view word) {
    for (std::size_t at = 0; at + word.size() <= text.size(); ++at)
        if (starts_any_case(text.substr(at), word))
            return at;
    return std::string_view::npos;
}

// Blanks and quotes off both ends: log lines quote what the modem said.
std::string_view trim(std::string_view text) {
    constexpr std::string_view kBlanks = " \t'\"";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The earliest response on a line.
Found find_response(std::string_view line) {
    Found found;
    for (const Prefix &p : kPrefixes) {
        const std::size_t at = find_any_case(line, p.text);
        if (at < found.at)
            found = {p.response, at, p.text.size()};
    }
    return found;
}

// Comma-separated fields, a comma inside quotes kept, each trimmed of blanks and quotes;
// `quoted` tells which were quoted.
struct Fields {
    std::array<std::string_view, kMaxFields> text{};
    std::array<bool, kMaxFields> quoted{};
    std::size_t count = 0;
};
Fields split_fields(std::string_view rest) {
    Fields fields;
    std::size_t start = 0;
    bool in_quotes = false;
    for (std::size_t i = 0; i <= rest.size() && fields.count < kMaxFields; ++i) {
        if (i < rest.size() && rest[i] == '"')
            in_quotes = !in_quotes;
        if (i < rest.size() && (rest[i] != ',' || in_quotes))
            continue;
        const std::string_view field = rest.substr(start, i - start);
        fields.quoted[fields.count] = field.find('"') != std::string_view::npos;
        fields.text[fields.count++] = trim(field);
        start = i + 1;
    }
    return fields;
}

// A decimal number, or nullopt.
std::optional<std::int32_t> number(std::string_view text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The run of letters and digits that ends a line.
std::string_view last_word(std::string_view line) {
    std::size_t start = line.size();
    while (start > 0 && is_alnum(line[start - 1]))
        --start;
    return line.substr(start);
}

// Hex digits (at least two), or letters and digits long enough to be a PDU gone wrong.
bool pdu_like(std::string_view word) {
    const bool all_hex = word.size() >= 2 && word.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
    return all_hex || word.size() >= kPduLikeLength;
}

int hex_value(char c) { return c <= '9' ? c - '0' : (upper(c) - 'A' + 10); }

// What a response line says about the PDU it announces, or how it ends a listing.
struct Announcement {
    bool pdu_mode = false;
    std::int32_t index = -1;
    std::int32_t length = -1;
    std::int8_t stat = -1;
};

// PDU mode has a number for <stat> and ends with <length>; text mode quotes <stat> or
// gives more fields.
Announcement announcement(velmora_modem_response response, const Fields &f) {
    Announcement a;
    const auto last = number(f.text[f.count - 1]);
    a.length = last.value_or(-1);
    std::size_t stat_field = 0;
    switch (response) {
    case VELMORA_RESPONSE_CMGL:
        a.index = number(f.text[0]).value_or(-1);
        stat_field = 1;
        [[fallthrough]];
    case VELMORA_RESPONSE_CMGR: {
        const auto stat = f.count > stat_field + 1 ? number(f.text[stat_field]) : std::nullopt;
        a.pdu_mode = stat && *stat <= 3 && last && !f.quoted[stat_field];
        a.stat = static_cast<std::int8_t>(a.pdu_mode ? *stat : -1);
        break;
    }
    case VELMORA_RESPONSE_CMT:
        a.pdu_mode = f.count <= 2 && last;
        break;
    default:  // +CDS
        a.pdu_mode = f.count == 1 && last;
        break;
    }
    return a;
}

unsigned direction(velmora_modem_response response, std::int8_t stat) {
    if (response == VELMORA_RESPONSE_CMGL || response == VELMORA_RESPONSE_CMGR)
        return stat >= 2 ? VELMORA_TO_NETWORK : VELMORA_FROM_NETWORK;
    return VELMORA_FROM_NETWORK;
}

class Reading {
public:
    Reading(velmora_modem_reader &r, velmora_modem_entry &e, velmora_message &m, velmora_error &error)
        : r_(r), e_(e), m_(m), error_(error) {}

    // Entries of the line from the reader's position on; NONE at its end.
    velmora_modem_kind next() {
        while (r_.at <= r_.line_length) {
            const std::string_view line(r_.line + r_.at, r_.line_length - r_.at);
            std::size_t end = line.size(), skip = 1;  // past the end of the line
            for (const std::string_view brk : kBreaks) {
                const std::size_t at = line.find(brk);
                if (at < end)
                    end = at, skip = brk.size();
            }
            const std::size_t next_at = r_.at + end + skip;
            const auto kind = segment(trim(line.substr(0, end)));
            if (kind == VELMORA_MODEM_FAILED && pdu_missing_)
                return kind;  // the same segment is read again, with no PDU due
            r_.at = next_at;
            if (kind != VELMORA_MODEM_NONE)
                return kind;
        }
        return VELMORA_MODEM_NONE;
    }

private:
    velmora_modem_kind segment(std::string_view text) {
        if (text.empty())
            return VELMORA_MODEM_NONE;
        const Found found = find_response(text);
        if (r_.response != VELMORA_RESPONSE_NONE) {
            const std::string_view word = last_word(text);
            if (found.response == VELMORA_RESPONSE_NONE && pdu_like(word))
                return pdu(word);
            return missing_pdu();
        }
        if (found.response != VELMORA_RESPONSE_NONE)
            return response(found.response, text.substr(found.at + found.prefix_length));
        // An echoed AT+CMGR=<index> names the message +CMGR shows.
        const std::size_t echo = find_any_case(text, "AT+CMGR=");
        if (echo != std::string_view::npos)
            r_.read_index = number(trim(text.substr(echo + 8))).value_or(-1);
        const std::string_view word = last_word(text);
        if (r_.in_text_listing) {
            // The texts of a listing run to its result code or the next command.
            r_.in_text_listing = !(text == "OK" || text == "ERROR" || find_any_case(text, "AT+") != std::string_view::npos);
            return VELMORA_MODEM_NONE;
        }
        if (word.size() == text.size() && pdu_like(word))
            return pdu(word);
        return VELMORA_MODEM_NONE;
    }

    velmora_modem_kind response(velmora_modem_response response, std::string_view rest) {
        const Fields f = split_fields(rest);
        e_.response = static_cast<std::uint8_t>(response);
        switch (response) {
        case VELMORA_RESPONSE_CMGS:
        case VELMORA_RESPONSE_CMSS:
            e_.message_reference = number(f.text[0]).value_or(-1);
            return finish(VELMORA_MODEM_SENT);
        case VELMORA_RESPONSE_CMS_ERROR: {
            const std::string_view words = trim(rest);
            const std::optional<std::int32_t> code = number(words);
            e_.cms_error = code ? *code : cms_error_code(words);
            if (!code && !words.empty())
                e_.cms_error_words = words.data(), e_.cms_error_words_length = words.size();
            return finish(VELMORA_MODEM_ERROR);
        }
        default:
            break;
        }
        r_.in_text_listing = 0;
        const Announcement a = announcement(response, f);
        if (!a.pdu_mode)
            return text_mode();
        r_.text_mode_told = 0;
        r_.response = static_cast<std::uint8_t>(response);
        r_.index = response == VELMORA_RESPONSE_CMGR ? r_.read_index : a.index;
        r_.stat = a.stat;
        r_.length = a.length;
        return VELMORA_MODEM_NONE;
    }

    // Once per listing; its texts are skipped.
    velmora_modem_kind text_mode() {
        r_.in_text_listing = 1;
        if (r_.text_mode_told)
            return VELMORA_MODEM_NONE;
        r_.text_mode_told = 1;
        fail(VELMORA_E_TEXT_MODE, "AT+CMGF", 0);
        return finish(VELMORA_MODEM_FAILED);
    }

    velmora_modem_kind missing_pdu() {
        take_announcement();
        pdu_missing_ = true;
        fail(VELMORA_E_ENDS_EARLY, "PDU", 0);
        return finish(VELMORA_MODEM_FAILED);
    }

    // <length> counts the TPDU: the octets before it are the service-centre address, whose
    // first octet counts the rest of them.
    velmora_modem_kind pdu(std::string_view hex) {
        const std::int32_t length = r_.response != VELMORA_RESPONSE_NONE ? r_.length : -1;
        unsigned flags = r_.flags;
        if (r_.response != VELMORA_RESPONSE_NONE)
            flags = (flags & ~(VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK)) | direction(
                static_cast<velmora_modem_response>(r_.response), r_.stat);
        take_announcement();
        const std::size_t octets = hex.size() / 2;
        bool mismatch = false;
        if (length >= 0 && (flags & VELMORA_CDMA)) {
            mismatch = octets != static_cast<std::size_t>(length);
        } else if (length >= 0) {
            const std::size_t smsc = octets - std::min(octets, static_cast<std::size_t>(length));
            const bool smsc_fits = smsc > 0 && is_hex(hex[0]) && is_hex(hex[1]) &&
                                   static_cast<std::size_t>(hex_value(hex[0]) * 16 + hex_value(hex[1])) + 1 == smsc;
            mismatch = octets < static_cast<std::size_t>(length) || (smsc > 0 && !smsc_fits);
            if (!mismatch)
                flags = smsc == 0 ? flags | VELMORA_NO_SMSC : flags & ~VELMORA_NO_SMSC;
        }
        e_.pdu = hex.data(), e_.pdu_length = hex.size(), e_.decode_flags = flags;
        const velmora_status status = velmora_decode_hex(hex.data(), hex.size(), flags, &m_, &error_);
        if (mismatch && (flags & VELMORA_STRICT)) {
            if (status == VELMORA_OK) {
                error_.status = VELMORA_OK;  // the decoding's success gives way to the mismatch
                fail(VELMORA_E_LENGTH_MISMATCH, "<length>", 0);
            }
        } else if (mismatch && m_.size >= offsetof(velmora_message, warning_field) + sizeof m_.warning_field) {
            if (m_.warnings == 0)
                m_.first_warning = VELMORA_WARNING_LENGTH, m_.warning_offset = 0, m_.warning_field = "<length>";
            m_.warnings |= VELMORA_WARNING_LENGTH;
        }
        return finish(error_.status == VELMORA_OK ? VELMORA_MODEM_MESSAGE : VELMORA_MODEM_FAILED);
    }

    // The announcement's fields go with this entry; no PDU is due any more.
    void take_announcement() {
        e_.response = r_.response;
        e_.index = r_.index;
        e_.storage = r_.stat;
        e_.length = r_.length;
        r_.response = VELMORA_RESPONSE_NONE;
        r_.index = r_.length = -1;
        r_.stat = -1;
    }

    void fail(velmora_status status, const char *field, std::uint32_t offset) {
        error_.status = status;
        error_.field = field;
        error_.offset = offset;
    }

    velmora_modem_kind finish(velmora_modem_kind kind) {
        e_.kind = static_cast<std::uint8_t>(kind);
        return kind;
    }

    velmora_modem_reader &r_;
    velmora_modem_entry &e_;
    velmora_message &m_;
    velmora_error &error_;
    bool pdu_missing_ = false;
};

velmora_modem_entry empty_entry() {
    velmora_modem_entry e{};
    e.size = sizeof e;
    e.storage = -1;
    e.index = e.length = e.message_reference = e.cms_error = -1;
    return e;
}

}  // namespace
}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" velmora_status(velmora_modem_reader_init)(velmora_modem_reader *reader, unsigned flags,
                                                      std::size_t size) {
    if (reader == nullptr || size < kFirstModemReaderSize)
        return VELMORA_E_ARGUMENT;
    velmora_modem_reader empty{};
    empty.flags = flags;
    empty.index = empty.length = empty.read_index = -1;
    empty.stat = -1;
    empty.at = 1;  // nothing fed
    init_struct(reader, size, empty);
    return valid_decode_flags(flags) ? VELMORA_OK : VELMORA_E_ARGUMENT;
}

extern "C" void(velmora_modem_entry_init)(velmora_modem_entry *entry, std::size_t size) {
    init_struct(entry, size, empty_entry());
}

extern "C" velmora_status velmora_modem_feed(velmora_modem_reader *reader, const char *line, std::size_t length) {
    if (!sized(reader, kFirstModemReaderSize) || (line == nullptr && length != 0))
        return VELMORA_E_ARGUMENT;
    reader->line = line != nullptr ? line : "";
    reader->line_length = length;
    reader->at = 0;
    return VELMORA_OK;
}

extern "C" velmora_modem_kind velmora_modem_next(velmora_modem_reader *reader, velmora_modem_entry *entry,
                                                 velmora_message *message, velmora_error *error) {
    velmora_error local;
    velmora_error *e = error_record(error, local);
    if (e == nullptr)
        return VELMORA_MODEM_FAILED;
    if (!sized(reader, kFirstModemReaderSize) || !sized(entry, kFirstModemEntrySize) ||
        !sized(message, kFirstMessageSize)) {
        e->status = VELMORA_E_ARGUMENT;
        e->field = !sized(reader, kFirstModemReaderSize) ? "reader" : !sized(entry, kFirstModemEntrySize) ? "entry"
                                                                                                        : "message";
        return VELMORA_MODEM_FAILED;
    }
    velmora_modem_entry whole = empty_entry();
    const velmora_modem_kind kind = Reading(*reader, whole, *message, *e).next();
    whole.kind = static_cast<std::uint8_t>(kind);
    write_prefix(whole, *entry);
    return kind;
}
