// SPDX-License-Identifier: Apache-2.0
// sms_write: the text of a message into the record.
#include <cstdint>
#include <cstring>

#include "velmora.h"

namespace velmora::compat {
namespace {
// One character more than a single GSM part holds, so that the driver sees the need to split.
constexpr std::size_t kMaxWrittenText = 161;
}  // namespace
}  // namespace velmora::compat

extern "C" int sms_write(const char *str, sms_message *sms) {
    if (str == nullptr || sms == nullptr)
        return -1;
    const std::size_t length = strnlen(str, velmora::compat::kMaxWrittenText);
    std::memcpy(sms->text, str, length);  // no NUL: the bytes after the text stay as they were
    sms->text_len = static_cast<std::uint32_t>(length);
    return static_cast<int>(length);
}
