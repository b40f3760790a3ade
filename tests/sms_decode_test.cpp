// SPDX-License-Identifier: Apache-2.0
// The modem output reader line by line: what the tool's end-to-end run of a whole session
// cannot single out (records of the first release's size: abi/growth_check.c).
#include "sms/abi.h"
#include "support.h"

namespace {

constexpr const char *kHello = "07912143658709F1040B912143658709F100001220413160508005E8329BFD06";  // TPDU 24

// Each entry as "kind response index storage length" and the text, the failure or the number.
std::vector<std::string> read_lines(const std::vector<std::string> &lines) {
    velmora_modem_reader reader;
    EXPECT_EQ(velmora_modem_reader_init(&reader, 0), VELMORA_OK);
    auto message = std::make_unique<velmora_message>();
    velmora_message_init(message.get());
    std::vector<std::string> entries;
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
            char numbers[64];
            std::snprintf(numbers, sizeof numbers, "%d %d %d %d %d ", e.kind, e.response, e.index, e.storage, e.length);
            entries.push_back(numbers + what);
        }
    }
    return entries;
}

TEST(ModemReaderTest, Lines) {
    for (const vt::Row &row : vt::rows("modem_lines.tsv")) {
        const auto arrow = std::find(row.f.begin(), row.f.end(), "=>");
        EXPECT_EQ(read_lines({row.f.begin(), arrow}), std::vector<std::string>(arrow + 1, row.f.end())) << row.where;
    }
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
