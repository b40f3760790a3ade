// SPDX-License-Identifier: Apache-2.0
// The modem output reader line by line: what the tool's end-to-end run of a whole session
// cannot single out (records of the first release's size: abi/growth_check.c).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sms/abi.h"
#include "velmora/sms.h"

namespace {

constexpr const char *kHello = "07912143658709F1040B912143658709F100001220413160508005E8329BFD06";  // TPDU 24

// One entry as a row: kind, response, index, storage, length, and the text or the status.
struct Entry {
    int kind, response, index, storage, length;
    std::string text_or_status;
    bool operator==(const Entry &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Entry &e) {
    return out << "{" << e.kind << "," << e.response << "," << e.index << "," << e.storage << "," << e.length << ","
               << e.text_or_status << "}";
}

std::vector<Entry> read_lines(const std::vector<std::string> &lines, unsigned flags = 0) {
    velmora_modem_reader reader;
    EXPECT_EQ(velmora_modem_reader_init(&reader, flags), VELMORA_OK);
    auto message = std::make_unique<velmora_message>();
    velmora_message_init(message.get());
    std::vector<Entry> entries;
    for (const std::string &line : lines) {
        EXPECT_EQ(velmora_modem_feed(&reader, line.data(), line.size()), VELMORA_OK);
        velmora_modem_entry e;
        velmora_modem_entry_init(&e);
        velmora_error error = VELMORA_ERROR_INIT;
        while (velmora_modem_next(&reader, &e, message.get(), &error) != VELMORA_MODEM_NONE) {
            const std::string what = e.kind == VELMORA_MODEM_MESSAGE ? std::string(message->text)
                                     : e.kind == VELMORA_MODEM_FAILED ? velmora_status_message(error.status)
                                     : e.kind == VELMORA_MODEM_SENT   ? std::to_string(e.message_reference)
                                                                      : std::to_string(e.cms_error);
            entries.push_back({e.kind, e.response, e.index, e.storage, e.length, what});
        }
    }
    return entries;
}

TEST(ModemReaderTest, Lines) {
    const std::string h = kHello, tpdu = h.substr(16);
    const struct {
        std::vector<std::string> lines;
        std::vector<Entry> entries;
    } rows[] = {
        // a ModemManager log line holding a whole listing
        {{"[ttyUSB2] <-- '<CR><LF>+CMGL: 1,1,,24<CR><LF>" + h + "<CR><LF>+CMGL: 2,0,,24<CR><LF>" + tpdu +
          "<CR><LF><CR><LF>OK<CR><LF>'"},
         {{1, 1, 1, 1, 24, "hello"}, {1, 1, 2, 0, 24, "hello"}}},
        // escaped line breaks, and the index of the AT+CMGR echoed before
        {{"--> AT+CMGR=7\\r", "<-- \\r\\n+CMGR: 3,,24\\r\\n" + tpdu}, {{2, 2, 7, 3, 24, "unsupported message type"}}},
        // a response without its PDU before the next; a bare PDU; sending results
        {{"+CMT: ,24", "+CMT: \"\",24", tpdu, h, "+CMGS: 12,\"24/05/02,10:15:01+08\"", "+CMSS: 3",
          "+CMS ERROR: 500", "+CMS ERROR: memory full"},
         {{2, 3, -1, -1, 24, "PDU ends early"}, {1, 3, -1, -1, 24, "hello"}, {1, 0, -1, -1, -1, "hello"},
          {3, 5, -1, -1, -1, "12"}, {3, 6, -1, -1, -1, "3"}, {4, 7, -1, -1, -1, "500"}, {4, 7, -1, -1, -1, "-1"}}},
        // text mode told once for a listing; its texts skipped, hex-looking ones too
        {{"+CMGL: 1,\"REC READ\",\"+491\",,\"24/05/02,10:15:01+08\"", "CAFE", "+CMGL: 2,\"REC READ\",\"+491\",,\"x\"",
          "0011", "OK", "0004"},
         {{2, 1, -1, -1, -1, "text-mode listing: set AT+CMGF=0 for PDUs"}, {2, 0, -1, -1, -1, "PDU ends early"}}},
        // noise: nothing at all
        {{"^RSSI:17", "+CREG: 1", "RING", "BUSY", "CONNECT 115200", "> ", "0", "AT+CMGL=4", ""}, {}},
    };
    for (const auto &row : rows)
        EXPECT_EQ(read_lines(row.lines), row.entries) << row.lines.front();
}

TEST(ModemReaderTest, ArgumentsAndNames) {
    velmora_modem_reader reader;
    EXPECT_EQ(velmora_modem_reader_init(&reader, VELMORA_FROM_NETWORK | VELMORA_TO_NETWORK), VELMORA_E_ARGUMENT);
    EXPECT_EQ(velmora_modem_reader_init(&reader, VELMORA_STRICT), VELMORA_OK);
    EXPECT_EQ(velmora_modem_feed(&reader, nullptr, 1), VELMORA_E_ARGUMENT);
    velmora_modem_entry entry;
    velmora_modem_entry_init(&entry);
    entry.size = velmora::sms::kFirstModemEntrySize - 1;
    velmora_message message;
    velmora_message_init(&message);
    velmora_error error = VELMORA_ERROR_INIT;
    ASSERT_EQ(velmora_modem_feed(&reader, kHello, std::strlen(kHello)), VELMORA_OK);
    EXPECT_EQ(velmora_modem_next(&reader, &entry, &message, &error), VELMORA_MODEM_FAILED);
    EXPECT_EQ(error.status, VELMORA_E_ARGUMENT);
    EXPECT_STREQ(error.field, "entry");
    const char *stats[] = {"REC UNREAD", "REC READ", "STO UNSENT", "STO SENT", nullptr};
    for (int stat = -1; stat <= 4; ++stat)
        EXPECT_STREQ(velmora_storage_name(stat), stat < 0 ? nullptr : stats[stat]);
    EXPECT_STREQ(velmora_cms_error_text(322), "memory full");
    EXPECT_STREQ(velmora_cms_error_text(299), "unknown error");
    int named = 0;  // every warning bit, and no other value
    for (std::uint32_t bit = 1; bit != 0; bit <<= 1)
        named += velmora_warning_name(bit) != nullptr;
    EXPECT_EQ(named, 8);
    EXPECT_EQ(velmora_warning_name(VELMORA_WARNING_TIME | VELMORA_WARNING_LENGTH), nullptr);
}

}  // namespace
