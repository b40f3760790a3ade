// SPDX-License-Identifier: Apache-2.0
// velmora_decode for every row of tests/vectors/decode.jsonl, each record dumped member by
// member and the whole dump compared with tests/golden/decode_records.txt.
#include <functional>
#include <vector>

#include "support.h"

namespace {

std::string time_of(const velmora_time &t) {
    char out[48];
    std::snprintf(out, sizeof out, "%04u-%02u-%02u %02u:%02u:%02u offset=%d%s", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.utc_offset, t.has_utc_offset ? "" : " (none)");
    return out;
}

std::string address_of(const velmora_address &a) {
    return "\"" + std::string(a.text) + "\" type=" + std::to_string(a.type) + " ton=" + std::to_string(a.ton) +
           " npi=" + std::to_string(a.npi) + " length=" + std::to_string(a.length);
}

std::string waiting_of(const velmora_waiting &w) {
    return "kind=" + std::to_string(w.kind) + " active=" + std::to_string(w.active) +
           " store=" + std::to_string(w.store) + " count=" + std::to_string(w.count);
}

std::string elements_of(const velmora_message &m) {
    std::string out;
    for (unsigned i = 0; i < m.element_count; ++i)
        out += (i ? " " : "") + std::to_string(m.elements[i].iei) + ":" + std::to_string(m.elements[i].length) + "@" +
               std::to_string(m.elements[i].offset);
    return out;
}

// What decoding sets, one member a line; members appended to velmora_message go at the end.
using Member = std::pair<const char *, std::function<std::string(const velmora_message &)>>;
#define NUMBER(member) Member{#member, [](const velmora_message &m) { return std::to_string(m.member); }}
#define SHOWN(member, how) Member{#member, [](const velmora_message &m) { return how(m.member); }}
const Member kMembers[] = {
    Member{"present", [](const velmora_message &m) {
        char bits[12];
        std::snprintf(bits, sizeof bits, "0x%04X", m.present);
        return std::string(bits);
    }},
    NUMBER(format), NUMBER(type), NUMBER(first_octet), NUMBER(more_messages),
    NUMBER(loop_prevention), NUMBER(reject_duplicates), NUMBER(reply_path), NUMBER(udhi), NUMBER(status_report),
    NUMBER(status_report_qualifier), NUMBER(message_reference), NUMBER(pid),
    SHOWN(smsc, address_of), SHOWN(originator, address_of), SHOWN(recipient, address_of),
    NUMBER(dcs), NUMBER(alphabet), NUMBER(message_class), NUMBER(compressed), NUMBER(auto_delete),
    SHOWN(dcs_waiting, waiting_of), SHOWN(timestamp, time_of), SHOWN(discharge_time, time_of),
    NUMBER(validity_format), NUMBER(validity_single_shot),
    Member{"validity_raw", [](const velmora_message &m) { return vt::hex(m.validity_raw, 7); }},
    NUMBER(validity_seconds), SHOWN(validity_until, time_of), NUMBER(status), NUMBER(status_category),
    NUMBER(parameter_indicator), NUMBER(teleservice), NUMBER(priority), NUMBER(user_data_length),
    NUMBER(reference_bits), NUMBER(reference), NUMBER(part), NUMBER(parts), NUMBER(port_bits),
    NUMBER(destination_port), NUMBER(source_port), NUMBER(locking_shift), NUMBER(single_shift),
    SHOWN(special, waiting_of), NUMBER(udh_length), NUMBER(element_count), NUMBER(text_length), NUMBER(data_length),
    Member{"udh", [](const velmora_message &m) { return vt::hex(m.udh, m.udh_length); }},
    Member{"elements", elements_of},
    Member{"text", [](const velmora_message &m) { return "\"" + std::string(m.text, m.text_length) + "\""; }},
    Member{"data", [](const velmora_message &m) { return vt::hex(m.data, m.data_length); }},
    NUMBER(warnings), NUMBER(first_warning), NUMBER(warning_offset),
    Member{"warning_field", [](const velmora_message &m) { return "\"" + std::string(m.warning_field) + "\""; }},
    Member{"timestamp_raw", [](const velmora_message &m) { return vt::hex(m.timestamp_raw, 7); }},
    Member{"discharge_time_raw", [](const velmora_message &m) { return vt::hex(m.discharge_time_raw, 7); }},
};

std::string dump(velmora_status status, const velmora_error &e, const velmora_message &m) {
    std::string out = "status=" + std::string(velmora_status_message(status)) + " offset=" + std::to_string(e.offset) +
                      " field=\"" + e.field + "\"\n";
    for (const auto &[name, shown] : kMembers)
        out += std::string(name) + "=" + shown(m) + "\n";
    return out;
}

std::string field(const std::string &line, const std::string &key) {
    const std::size_t at = line.find("\"" + key + "\": \"");
    return at == std::string::npos ? "" : line.substr(at + key.size() + 5, line.find('"', at + key.size() + 5) - at - key.size() - 5);
}

TEST(RecordDumpTest, DecodeVectors) {
    std::istringstream rows(vt::read_file("vectors/decode.jsonl"));
    std::string output;
    int number = 0, decoded = 0;
    for (std::string line; std::getline(rows, line);) {
        ++number;
        if (line[0] == '#')
            continue;
        const std::string hex = field(line, "pdu");
        const unsigned flags = (line.find("--no-smsc") != std::string::npos ? VELMORA_NO_SMSC : 0u) |
                               (line.find("--cdma") != std::string::npos ? VELMORA_CDMA : 0u);
        SCOPED_TRACE("decode.jsonl:" + std::to_string(number));
        auto m = vt::message(0xA5);
        velmora_error e = VELMORA_ERROR_INIT;
        const std::string text_dump = dump(velmora_decode_hex(hex.data(), hex.size(), flags, m.get(), &e), e, *m);
        // The octets themselves, where the row is hex, in a block of their exact size.
        if (hex.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos && hex.size() % 2 == 0) {
            const std::string pdu = vt::bytes(hex);
            const auto exact = std::make_unique<std::uint8_t[]>(pdu.size());
            std::memcpy(exact.get(), pdu.data(), pdu.size());
            auto octet_record = vt::message(0x5A);
            const velmora_status status = velmora_decode(exact.get(), pdu.size(), flags, octet_record.get(), &e);
            EXPECT_EQ(dump(status, e, *octet_record), text_dump);
            ++decoded;
        }
        output += "# decode.jsonl:" + std::to_string(number) + " flags=" + std::to_string(flags) + " " + hex + "\n" +
                  text_dump + "\n";
    }
    EXPECT_GT(decoded, 60);
    vt::expect_golden("decode_records.txt", output);
}

}  // namespace
