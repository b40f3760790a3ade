// Text entry into the message record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "velmora.h"

namespace {

struct WriteRow {
    std::string previous;  // text already in the record
    std::string input;
    int result;
    std::string text;  // the record's text afterwards, up to the length of previous or result
};

TEST(RecordTest, SmsWriteCopiesAtMost161BytesWithoutNul) {
    const std::string long_text = std::string(100, 'x') + std::string(100, 'y');
    const WriteRow rows[] = {
        {"hello", "", 0, "hello"},                         // empty: text left alone
        {"", "hi", 2, "hi"},
        {"longer old text", "short", 5, "shortr old text"},  // no NUL, old bytes stay
        {"", long_text, 161, long_text.substr(0, 161)},
        {"", std::string(161, 'z'), 161, std::string(161, 'z')},
    };
    for (const auto &row : rows) {
        sms_message sms;
        std::memset(&sms, 0x55, sizeof sms);
        std::memcpy(sms.text, row.previous.data(), row.previous.size());
        sms.text_len = 999;
        sms_message expected = sms;
        std::memcpy(expected.text, row.text.data(), row.text.size());
        expected.text_len = static_cast<std::uint32_t>(row.result);

        EXPECT_EQ(sms_write(row.input.c_str(), &sms), row.result) << row.input;
        EXPECT_EQ(std::memcmp(&sms, &expected, sizeof sms), 0) << row.input;  // no other member touched
    }
}

TEST(RecordTest, SmsWriteRejectsNullArguments) {
    sms_message sms;
    std::memset(&sms, 0x55, sizeof sms);
    const sms_message before = sms;
    EXPECT_EQ(sms_write(nullptr, &sms), -1);
    EXPECT_EQ(sms_write("abc", nullptr), -1);
    EXPECT_EQ(std::memcmp(&sms, &before, sizeof sms), 0);
}

}  // namespace
