// SPDX-License-Identifier: Apache-2.0
// The WebAssembly face of libvelmora-sms for the npm package: each call takes the public
// C API's arguments and answers with one JSON text, the tool's own rendering of messages,
// joined messages and counts (tools/output.cpp), valid until the next call.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "../../tools/explain.h"
#include "../../tools/json.h"
#include "../../tools/message_fields.h"
#include "../../tools/output.h"
#include "velmora/sms.h"

namespace {

using velmora::cli::JoinedMessage;
using velmora::cli::joined_message;
using velmora::cli::Printer;

std::string g_answer;

const char *answer(std::string text) {
    g_answer = std::move(text);
    return g_answer.c_str();
}

// What a Printer writes, as a string: one JSON object.
template <class Print>
std::string printed(Print &&print) {
    char *buffer = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&buffer, &size);
    {
        Printer printer(out, true);
        print(printer);
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string error_json(const velmora_error &e) {
    std::string out = "{\"status\":" + std::to_string(e.status) +
                      ",\"message\":" + velmora::cli::json_string(velmora_status_message(e.status));
    out += ",\"offset\":" + std::to_string(e.offset) + ",\"field\":" + velmora::cli::json_string(e.field);
    if (e.code_point != 0)
        out += ",\"code_point\":" + std::to_string(e.code_point);
    return out + "}";
}

// The message and its fields, or the error and the fields up to it.
std::string decoded_json(std::string_view hex, unsigned flags, velmora_message &message) {
    const velmora::cli::Explained x = velmora::cli::explain_pdu(hex, flags, message);
    std::string out = "{";
    // The tool's message without its first key, the source line, which has none here.
    static constexpr std::string_view kNoSource = "{\"source\":\"\",";
    if (x.status == VELMORA_OK)
        out += "\"message\":{" + velmora::cli::message_json(message, "").substr(kNoSource.size());
    else
        out += "\"error\":" + error_json(x.error);
    return out + ",\"fields\":" + velmora::cli::fields_json(x.fields) + "}";
}

// The numbers of velmora_submit_options, in the order index.js writes them.
enum Number {
    kFormat, kAlphabet, kLanguages, kMessageReference, kReferenceBits, kReference, kStatusReport, kRejectDuplicates,
    kReplyPath, kMessageClass, kPid, kValidity, kValidityMinutes, kUntilYear, kUntilMonth, kUntilDay, kUntilHour,
    kUntilMinute, kUntilSecond, kUntilHasOffset, kUntilOffset, kPortBits, kDestinationPort, kSourcePort, kToType,
    kFromType, kNumberCount
};

velmora_submit_options submit_options(const std::int32_t *n, const char *to, const char *smsc, const char *from) {
    velmora_submit_options o;
    velmora_submit_options_init(&o);
    o.to = to, o.smsc = smsc[0] != '\0' ? smsc : nullptr, o.from = from[0] != '\0' ? from : nullptr;
    o.to_type = n[kToType], o.from_type = n[kFromType];
    o.format = static_cast<std::uint8_t>(n[kFormat]);
    o.alphabet = static_cast<std::uint8_t>(n[kAlphabet]);
    o.languages = static_cast<std::uint16_t>(n[kLanguages]);
    o.message_reference = static_cast<std::uint8_t>(n[kMessageReference]);
    o.reference_bits = static_cast<std::uint8_t>(n[kReferenceBits]);
    o.reference = n[kReference];
    o.status_report = static_cast<std::uint8_t>(n[kStatusReport]);
    o.reject_duplicates = static_cast<std::uint8_t>(n[kRejectDuplicates]);
    o.reply_path = static_cast<std::uint8_t>(n[kReplyPath]);
    o.message_class = static_cast<std::int8_t>(n[kMessageClass]);
    o.pid = static_cast<std::uint8_t>(n[kPid]);
    o.validity = static_cast<std::uint8_t>(n[kValidity]);
    o.validity_minutes = static_cast<std::uint32_t>(n[kValidityMinutes]);
    velmora_time &u = o.validity_until;
    u.year = static_cast<std::uint16_t>(n[kUntilYear]);
    u.month = static_cast<std::uint8_t>(n[kUntilMonth]), u.day = static_cast<std::uint8_t>(n[kUntilDay]);
    u.hour = static_cast<std::uint8_t>(n[kUntilHour]), u.minute = static_cast<std::uint8_t>(n[kUntilMinute]);
    u.second = static_cast<std::uint8_t>(n[kUntilSecond]);
    u.has_utc_offset = static_cast<std::uint8_t>(n[kUntilHasOffset]);
    u.utc_offset = static_cast<std::int16_t>(n[kUntilOffset]);
    o.port_bits = static_cast<std::uint8_t>(n[kPortBits]);
    o.destination_port = static_cast<std::uint16_t>(n[kDestinationPort]);
    o.source_port = static_cast<std::uint16_t>(n[kSourcePort]);
    return o;
}

// Messages being put together, and the label each stored part came with.
struct Reassembler {
    std::vector<std::max_align_t> storage;
    velmora_reassembly reassembly{};
    std::vector<std::string> labels;
    std::unique_ptr<velmora_message> message = std::make_unique<velmora_message>();
    std::unique_ptr<velmora_message> joined = std::make_unique<velmora_message>();
    std::uint64_t arrivals = 0;

    explicit Reassembler(std::uint32_t slots)
        : storage(velmora_reassembly_storage_size(slots) / sizeof(std::max_align_t) + 1), labels(slots) {
        velmora_reassembly_init(&reassembly, storage.data(), storage.size() * sizeof(std::max_align_t));
        velmora_message_init(message.get());
        velmora_message_init(joined.get());
    }

    // A message as far as its parts are in, the missing ones named.
    std::string joined_json(const velmora_group &group) {
        JoinedMessage j = joined_message(reassembly, group, *joined, labels);
        return printed([&](Printer &p) { p.print(j); });
    }

    std::vector<velmora_group> groups() {
        std::vector<velmora_group> all(velmora_reassembly_groups(&reassembly, nullptr, 0));
        velmora_group_init(all.data(), all.size());
        all.resize(velmora_reassembly_groups(&reassembly, all.data(), all.size()));
        return all;
    }
};

constexpr const char *kAddResults[] = {"single", "stored", "complete", "duplicate", "full", "invalid"};

}  // namespace

extern "C" {

__attribute__((used)) void *vg_alloc(std::size_t size) { return std::malloc(size != 0 ? size : 1); }
__attribute__((used)) void vg_free(void *block) { std::free(block); }
__attribute__((used)) const char *vg_version() { return velmora_version(); }

// {"message":{...},"fields":[...]} or {"error":{...},"fields":[...]}
__attribute__((used)) const char *vg_decode(const char *hex, std::size_t length, unsigned flags) {
    auto message = std::make_unique<velmora_message>();
    velmora_message_init(message.get());
    return answer(decoded_json({hex, length}, flags, *message));
}

// The tool's count JSON, or {"error":{...}}
__attribute__((used)) const char *vg_count(const char *text, std::size_t length, const std::int32_t *numbers) {
    const velmora_submit_options options = submit_options(numbers, "", "", "");
    velmora_count_result result = VELMORA_COUNT_RESULT_INIT;
    velmora_error error = VELMORA_ERROR_INIT;
    if (velmora_count(text, length, &options, &result, &error) != VELMORA_OK)
        return answer("{\"error\":" + error_json(error) + "}");
    return answer(printed([&](Printer &p) { p.print(result); }));
}

__attribute__((used)) void *vg_reassembler_new(std::uint32_t slots) { return new Reassembler(slots); }
__attribute__((used)) void vg_reassembler_delete(void *r) { delete static_cast<Reassembler *>(r); }

// {"added":"stored", "message":{...}, "fields":[...], "joined":{...}}: joined when the last part
// came in, or when the slots were full and the oldest message had to make room.
__attribute__((used)) const char *vg_reassembler_add(void *handle, const char *hex, std::size_t length, unsigned flags,
                                                     const char *label) {
    Reassembler &r = *static_cast<Reassembler *>(handle);
    std::string out = decoded_json({hex, length}, flags, *r.message);
    if (out.rfind("{\"error\"", 0) == 0)
        return answer(out);
    out.pop_back();
    velmora_group group;
    velmora_group_init(&group, 1);
    velmora_add_result added = velmora_reassembly_add(&r.reassembly, r.message.get(), r.arrivals++, &group);
    if (added == VELMORA_ADD_FULL) {
        const std::vector<velmora_group> groups = r.groups();
        out += ",\"released\":" + r.joined_json(groups.front());
        velmora_reassembly_release(&r.reassembly, &groups.front());
        added = velmora_reassembly_add(&r.reassembly, r.message.get(), r.arrivals++, &group);
    }
    if (added == VELMORA_ADD_STORED || added == VELMORA_ADD_COMPLETE)
        r.labels[static_cast<std::size_t>(velmora_reassembly_slot(&r.reassembly, &group, r.message->part))] = label;
    out += ",\"added\":\"" + std::string(kAddResults[added]) + "\"";
    if (added == VELMORA_ADD_COMPLETE) {
        out += ",\"joined\":" + r.joined_json(group);
        velmora_reassembly_release(&r.reassembly, &group);
    }
    return answer(out + "}");
}

// [joined, ...]: the messages still waiting for parts, earliest first; `release` lets them go.
__attribute__((used)) const char *vg_reassembler_pending(void *handle, int release) {
    Reassembler &r = *static_cast<Reassembler *>(handle);
    std::string out = "[";
    for (const velmora_group &group : r.groups()) {
        out += (out.size() > 1 ? "," : "") + r.joined_json(group);
        if (release)
            velmora_reassembly_release(&r.reassembly, &group);
    }
    return answer(out + "]");
}

// Where index.js finds what it reads of the records: {"message.present":4, ...}, so that it
// holds no offsets of its own.
__attribute__((used)) const char *vg_layout() {
#define VG_AT(type, member) {#type "." #member, offsetof(type, member)}
    static const struct { const char *name; std::size_t offset; } kMembers[] = {
        {"message.size", sizeof(velmora_message)}, VG_AT(velmora_message, present), VG_AT(velmora_message, format),
        VG_AT(velmora_message, type), VG_AT(velmora_message, more_messages), VG_AT(velmora_message, reject_duplicates),
        VG_AT(velmora_message, reply_path), VG_AT(velmora_message, status_report),
        VG_AT(velmora_message, message_reference), VG_AT(velmora_message, pid), VG_AT(velmora_message, smsc),
        VG_AT(velmora_message, originator), VG_AT(velmora_message, recipient), VG_AT(velmora_message, dcs),
        VG_AT(velmora_message, alphabet), VG_AT(velmora_message, message_class), VG_AT(velmora_message, compressed),
        VG_AT(velmora_message, timestamp), VG_AT(velmora_message, discharge_time),
        VG_AT(velmora_message, validity_format), VG_AT(velmora_message, validity_seconds),
        VG_AT(velmora_message, validity_until), VG_AT(velmora_message, status), VG_AT(velmora_message, status_category),
        VG_AT(velmora_message, teleservice), VG_AT(velmora_message, priority), VG_AT(velmora_message, reference_bits),
        VG_AT(velmora_message, reference), VG_AT(velmora_message, part), VG_AT(velmora_message, parts),
        VG_AT(velmora_message, port_bits), VG_AT(velmora_message, destination_port),
        VG_AT(velmora_message, source_port), VG_AT(velmora_message, locking_shift),
        VG_AT(velmora_message, single_shift), VG_AT(velmora_message, udh_length),
        VG_AT(velmora_message, element_count), VG_AT(velmora_message, text_length),
        VG_AT(velmora_message, data_length), VG_AT(velmora_message, udh), VG_AT(velmora_message, elements),
        VG_AT(velmora_message, text), VG_AT(velmora_message, data), VG_AT(velmora_address, type),
        VG_AT(velmora_time, year), VG_AT(velmora_time, month), VG_AT(velmora_time, day), VG_AT(velmora_time, hour),
        VG_AT(velmora_time, minute), VG_AT(velmora_time, second), VG_AT(velmora_time, has_utc_offset),
        VG_AT(velmora_time, utc_offset), VG_AT(velmora_waiting, kind), VG_AT(velmora_waiting, active),
        VG_AT(velmora_waiting, store), VG_AT(velmora_waiting, count), {"element.size", sizeof(velmora_element)},
        VG_AT(velmora_element, iei), VG_AT(velmora_element, length), VG_AT(velmora_element, offset),
        {"pdu.size", sizeof(velmora_pdu)}, VG_AT(velmora_pdu, hex), VG_AT(velmora_pdu, hex_length),
        VG_AT(velmora_pdu, tpdu_length), {"error.size", sizeof(velmora_error)}, VG_AT(velmora_error, status),
        VG_AT(velmora_error, offset), VG_AT(velmora_error, field), VG_AT(velmora_error, code_point)};
#undef VG_AT
    std::string out = "{";
    for (const auto &m : kMembers) {
        std::string name = m.name;
        if (name.rfind("velmora_", 0) == 0)
            name = name.substr(8);
        out += (out.size() > 1 ? ",\"" : "\"") + name + "\":" + std::to_string(m.offset);
    }
    return answer(out + "}");
}

// velmora_encode or velmora_encode_data with the options of `numbers`, into pdus[0 .. capacity).
__attribute__((used)) velmora_status vg_encode_into(const char *text, std::size_t length, int data,
                                                    const std::int32_t *numbers, const char *to, const char *smsc,
                                                    const char *from, velmora_pdu *pdus, std::size_t capacity,
                                                    std::size_t *count, velmora_error *error) {
    const velmora_submit_options options = submit_options(numbers, to, smsc, from);
    return data ? velmora_encode_data(reinterpret_cast<const std::uint8_t *>(text), length, &options, pdus, capacity,
                                      count, error)
                : velmora_encode(text, length, &options, pdus, capacity, count, error);
}

}  // extern "C"
