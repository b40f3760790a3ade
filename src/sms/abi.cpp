// SPDX-License-Identifier: Apache-2.0
// The init functions of the structs a caller allocates.
#include "sms/abi.h"

namespace velmora::sms {

velmora_error *error_record(velmora_error *error, velmora_error &local) {
    local = VELMORA_ERROR_INIT;
    if (error == nullptr)
        return &local;
    if (!sized(error, kFirstErrorSize))
        return nullptr;
    write_prefix(local, *error);
    return error;
}

}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" void velmora_error_init(velmora_error *error) {
    if (error != nullptr)
        *error = VELMORA_ERROR_INIT;
}

extern "C" void velmora_message_init(velmora_message *message) {
    if (message == nullptr)
        return;
    std::memset(message, 0, sizeof *message);
    message->size = sizeof *message;
    message->message_class = -1;
    message->warning_field = "";
}

extern "C" void velmora_count_result_init(velmora_count_result *result) {
    if (result != nullptr)
        *result = VELMORA_COUNT_RESULT_INIT;
}

extern "C" void velmora_pdu_init(velmora_pdu *pdus, std::size_t count) {
    for (std::size_t i = 0; pdus != nullptr && i < count; ++i) {
        std::memset(&pdus[i], 0, sizeof pdus[i]);
        pdus[i].size = sizeof pdus[i];
    }
}

extern "C" void velmora_group_init(velmora_group *groups, std::size_t count) {
    for (std::size_t i = 0; groups != nullptr && i < count; ++i) {
        std::memset(&groups[i], 0, sizeof groups[i]);
        groups[i].size = sizeof groups[i];
    }
}
