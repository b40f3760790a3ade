#include "decode.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "charset.h"
#include "velmora.h"

namespace velmora::cli {
namespace {

struct LayoutError {
    std::string message;
};

// Walks the octets of a PDU in the order the layout puts its fields, so that a PDU
// that ends early or carries more than its lengths say is named before the library
// reads it. Positions are reported as columns of the hex text (from 1).
class FieldWalk {
public:
    explicit FieldWalk(std::string_view octets) : octets_(octets) {}

    unsigned octet(const char *field) {
        need(1, field);
        return static_cast<unsigned char>(octets_[at_++]);
    }
    void skip(std::size_t count, const char *field) {
        need(count, field);
        at_ += count;
    }
    unsigned peek(const char *field) const {
        need(1, field);
        return static_cast<unsigned char>(octets_[at_]);
    }
    std::size_t at() const { return at_; }
    std::string column() const { return "column " + std::to_string(2 * at_ + 1); }

    void end() const {
        if (at_ < octets_.size())
            throw LayoutError{std::to_string(octets_.size() - at_) + " octet(s) after the user data, at " +
                              column()};
    }
    [[noreturn]] void fail(const std::string &what) const { throw LayoutError{what + " at " + column()}; }

private:
    void need(std::size_t count, const char *field) const {
        if (octets_.size() - at_ < count)
            throw LayoutError{"PDU ends early at " + column() + ": " + std::to_string(count) + " octet(s) of " +
                              field + " expected, " + std::to_string(octets_.size() - at_) + " left"};
    }

    std::string_view octets_;
    std::size_t at_ = 0;
};

enum class Unit { septets, octets, ucs2 };

// The user data of `length` units, after a user-data header when `header` is set.
void walk_user_data(FieldWalk &walk, unsigned length, Unit unit, unsigned max_length, bool header) {
    if (length > max_length)
        walk.fail("user data length " + std::to_string(length) + " is more than " + std::to_string(max_length));
    const std::size_t octets = unit == Unit::septets ? (7u * length + 7) / 8
                               : unit == Unit::ucs2  ? 2u * length
                                                     : length;
    if (header && length > 0) {
        const unsigned header_octets = walk.peek("user-data header length") + 1;
        const unsigned header_units = unit == Unit::septets ? (8 * header_octets + 6) / 7
                                      : unit == Unit::ucs2  ? (header_octets + 1) / 2
                                                            : header_octets;
        if (header_units > length)
            walk.fail("user-data header of " + std::to_string(header_octets) +
                      " octets is longer than the user data length " + std::to_string(length));
    }
    walk.skip(octets, "user data");
    walk.end();
}

struct GsmLayout {
    std::size_t sender_at = 0;  // octet offset of the TP-OA digits
    unsigned sender_digits = 0;
};

GsmLayout walk_deliver(std::string_view octets) {
    FieldWalk walk(octets);
    walk.skip(walk.octet("service-centre address length"), "service-centre address");
    const std::string first_column = walk.column();
    const unsigned first = walk.octet("first octet");
    if ((first & 0x03) != 0) {
        static const char *const kTypes[] = {"SMS-DELIVER", "an SMS-SUBMIT", "an SMS-STATUS-REPORT",
                                             "a reserved message type"};
        throw LayoutError{"not a received message: the first octet at " + first_column + " marks " +
                          kTypes[first & 0x03] + "; decode reads SMS-DELIVER PDUs"};
    }
    GsmLayout layout;
    layout.sender_digits = walk.octet("sender length");
    walk.octet("sender type of address");
    layout.sender_at = walk.at();
    walk.skip((layout.sender_digits + 1) / 2, "sender digits");
    walk.octet("TP-PID");
    const unsigned dcs = walk.octet("TP-DCS");
    walk.skip(7, "time stamp");
    const unsigned udl = walk.octet("TP-UDL");
    const bool header = (first & 0x40) != 0;
    if (dcs == 0x00)
        walk_user_data(walk, udl, Unit::septets, 160, header);
    else if (dcs == 0x04 || dcs == 0x08)
        walk_user_data(walk, udl, Unit::octets, 140, header);
    return layout;  // other codings: the library refuses them itself
}

void walk_3gpp2(std::string_view octets) {
    FieldWalk walk(octets);
    const unsigned address = walk.octet("address length");
    if (address == 0)
        throw LayoutError{"the address length at column 1 is 0"};
    walk.octet("type of address");
    walk.skip(address - 1, "address digits");
    walk.skip(6, "time stamp");
    const unsigned teleservice_high = walk.octet("teleservice");
    const unsigned teleservice = teleservice_high << 8 | walk.octet("teleservice");
    if (teleservice != 4098 && teleservice != 4101)
        return;  // decoded without priority, coding or text
    walk.octet("priority");
    const unsigned encoding = walk.octet("message encoding");
    const unsigned length = walk.octet("user data length");
    const bool header = teleservice == 4101;
    switch (encoding) {
    case 2: case 3: case 9: walk_user_data(walk, length, Unit::septets, 161, header); break;
    case 0: case 8: walk_user_data(walk, length, Unit::octets, 255, header); break;
    case 4: walk_user_data(walk, length, Unit::ucs2, 255, header); break;
    default: break;
    }
}

int hex_value(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string field(const char *text, std::size_t capacity) { return std::string(text, strnlen(text, capacity)); }

// An alphanumeric TP-OA (type of number 101) carries GSM septets, not digits.
std::string alphanumeric_sender(std::string_view octets, const GsmLayout &layout) {
    const std::uint32_t septets = layout.sender_digits * 4 / 7;
    const auto *packed = reinterpret_cast<const unsigned char *>(octets.data() + layout.sender_at);
    unsigned char codes[322] = {};
    char text[SMS_TEXT_CAPACITY] = {};
    if (septets == 0 || decode7(packed, septets, codes, sizeof codes, 0) != 0)
        return {};
    const std::uint32_t n = decode_gsm0338_to_ascii(codes, septets, text, sizeof text);
    return text8_to_utf8(std::string_view(text, n));
}

void read_payload(const sms_message &m, bool cdma, DecodedMessage &out) {
    Payload payload = Payload::none;
    std::size_t bytes = m.text_len;
    if (!cdma) {
        if (m.data_coding == 0x00)
            payload = Payload::text8;
        else if (m.data_coding == 0x04)
            payload = Payload::octets;
        else if (m.data_coding == 0x08)
            payload = Payload::ucs2, bytes = 2 * m.text_len;
    } else if (m.teleserv_id == 4098 || m.teleserv_id == 4101) {
        switch (m.data_coding) {
        case 2: case 3: case 9: case 8: payload = Payload::text8; break;  // 8: Latin
        case 0: payload = Payload::octets; break;
        case 4: payload = Payload::ucs2, bytes = 2 * m.text_len; break;
        default: break;
        }
    }
    if (m.text_len == 0)
        payload = Payload::none;
    out.payload = payload;
    if (payload != Payload::none)
        out.data.assign(m.text, std::min<std::size_t>(bytes, sizeof m.text));
}

std::string rejection(const sms_message &m, bool cdma) {
    char text[160];
    if (!cdma && m.data_coding != 0x00 && m.data_coding != 0x04 && m.data_coding != 0x08)
        std::snprintf(text, sizeof text, "unsupported data coding scheme 0x%02X (0x00, 0x04 and 0x08 are decoded)",
                      static_cast<unsigned>(m.data_coding));
    else if (cdma && (m.data_coding == 1 || (m.data_coding > 4 && m.data_coding != 8 && m.data_coding != 9)))
        std::snprintf(text, sizeof text, "unsupported message encoding %u (0, 2, 3, 4, 8 and 9 are decoded)",
                      static_cast<unsigned>(m.data_coding));
    else
        std::snprintf(text, sizeof text, "the library decoded no text from the user data");
    return text;
}

}  // namespace

DecodeResult decode_pdu(std::string_view hex, bool cdma, int debug) {
    DecodeResult result;
    if (hex.empty()) {
        result.error = "empty PDU";
        return result;
    }
    if (hex.size() > kMaxPduChars) {
        result.error = "PDU of " + std::to_string(hex.size()) + " characters, longer than any SMS (at most " +
                       std::to_string(kMaxPduChars) + ")";
        return result;
    }
    std::string octets;
    octets.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); ++i) {
        if (hex_value(hex[i]) < 0) {
            const auto byte = static_cast<unsigned char>(hex[i]);
            const std::string shown = byte >= 0x21 && byte < 0x7F ? "'" + std::string(1, hex[i]) + "'"
                                                                  : describe_code_point(byte);
            result.error = "not a hex digit: " + shown + " at column " + std::to_string(i + 1);
            return result;
        }
        if (i % 2 == 1)
            octets += static_cast<char>(hex_value(hex[i - 1]) << 4 | hex_value(hex[i]));
    }
    if (hex.size() % 2 != 0) {
        result.error = "odd number of hex digits (" + std::to_string(hex.size()) + "): a PDU is whole octets";
        return result;
    }

    GsmLayout layout;
    try {
        if (cdma)
            walk_3gpp2(octets);
        else
            layout = walk_deliver(octets);
    } catch (const LayoutError &e) {
        result.error = e.message;
        return result;
    }

    const std::string text(hex);  // the library reads up to the terminating NUL
    const auto size = static_cast<std::uint32_t>(text.size());
    sms_message m{};
    const int rc = cdma ? sms_decode_3gpp2_pdu(text.c_str(), size, &m, debug)
                        : sms_decode_pdu(text.c_str(), size, &m, debug);
    if (rc != 0) {
        result.error = rejection(m, cdma);
        return result;
    }

    DecodedMessage &out = result.message.emplace();
    out.cdma = cdma;
    out.sender_type = m.telnum_type;
    out.sender = (!cdma && (m.telnum_type & 0x70) == 0x50) ? alphanumeric_sender(octets, layout)
                                                           : field(m.telnum, sizeof m.telnum);
    out.time = field(m.date_time, sizeof m.date_time);
    out.time_raw = field(m.date_time_raw, sizeof m.date_time_raw);
    out.zone = field(m.timezone, sizeof m.timezone);
    out.coding = m.data_coding;
    out.reference = m.msg_id;
    out.part = m.part_num;
    out.total = m.total_parts;
    out.priority = m.priority;
    out.teleservice = m.teleserv_id;
    read_payload(m, cdma, out);
    return result;
}

}  // namespace velmora::cli
