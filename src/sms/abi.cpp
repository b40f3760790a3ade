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

extern "C" void(velmora_error_init)(velmora_error *error, std::size_t size) {
    init_struct(error, size, velmora_error VELMORA_ERROR_INIT);
}

extern "C" void(velmora_message_init)(velmora_message *message, std::size_t size) {
    static const velmora_message kEmpty = [] {
        velmora_message m{};
        m.message_class = -1;
        m.warning_field = "";
        return m;
    }();
    init_struct(message, size, kEmpty);
}

extern "C" void(velmora_count_result_init)(velmora_count_result *result, std::size_t size) {
    init_struct(result, size, velmora_count_result{});
}

extern "C" void(velmora_pdu_init)(velmora_pdu *pdus, std::size_t count, std::size_t size) {
    static const velmora_pdu kEmpty{};
    init_structs(pdus, count, size, kEmpty);
}

extern "C" void(velmora_group_init)(velmora_group *groups, std::size_t count, std::size_t size) {
    init_structs(groups, count, size, velmora_group{});
}
