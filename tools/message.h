// What the tool knows about one decoded PDU, independent of how it is printed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::cli {

// How the user data of a message is held in DecodedMessage::data.
enum class Payload {
    none,    // no user data (3GPP2 teleservice without text, or a length of 0)
    text8,   // 8-bit text: ISO 8859-1 with the euro sign at 0x80
    ucs2,    // UCS-2 / UTF-16 code units, high octet first
    octets,  // 8-bit data, shown as hex
    utf8,    // already UTF-8 (a joined message whose parts differ in coding)
};

struct DecodedMessage {
    std::string source;  // where it came from: "argument 2", "line 7"
    bool cdma = false;
    std::string sender;  // digits, or the decoded name of an alphanumeric sender (UTF-8)
    std::uint32_t sender_type = 0;
    std::string time;      // DD/MM/YY - hh:mm:ss
    std::string time_raw;  // YYMMDDhhmmss
    std::string zone;      // the two time-zone digits (GSM only)
    std::uint32_t coding = 0;
    std::uint32_t reference = 0;
    std::uint32_t part = 0;
    std::uint32_t total = 0;
    std::uint32_t priority = 0;     // 3GPP2
    std::uint32_t teleservice = 0;  // 3GPP2
    Payload payload = Payload::none;
    std::string data;

    bool is_part() const { return total >= 2 && part >= 1 && part <= total; }
};

// The parts of one concatenated message that one run saw, in part order.
struct JoinedMessage {
    DecodedMessage message;  // header fields of the lowest part; payload and data of all parts
    std::vector<std::string> sources;
    std::vector<std::uint32_t> present;
    std::vector<std::uint32_t> missing;
};

}  // namespace velmora::cli
