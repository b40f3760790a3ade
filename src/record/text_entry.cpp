#include <cstdint>
#include <cstring>

#include "velmora.h"

namespace {
// One character more than a single GSM part holds, so that the driver sees the need to split.
constexpr std::size_t kMaxWrittenText = 161;
}  // namespace

extern "C" int sms_write(const char *str, sms_message *sms) {
    if (str == nullptr || sms == nullptr)
        return -1;
    const std::size_t length = strnlen(str, kMaxWrittenText);
    std::memcpy(sms->text, str, length);  // no NUL: the bytes after the text stay as they were
    sms->text_len = static_cast<std::uint32_t>(length);
    return static_cast<int>(length);
}
