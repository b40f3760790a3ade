// SPDX-License-Identifier: Apache-2.0
// The WebAssembly face of libvelmora-sms for the npm package: each call takes the public
// C API's arguments and answers with the tool's own rendering of messages, joined messages
// and counts (tools/output.cpp, tools/message_fields.cpp): as one JSON text, or on the hot
// paths (decode, encode) as a tape index.js reads without parsing. Valid until the next call.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "../../tools/explain.h"
#include "../../tools/json.h"
#include "../../tools/message_fields.h"
#include "../../tools/output.h"
#include "velmora/sms.h"

namespace {

using velmora::cli::JoinedMessage;
using velmora::cli::JsonObject;
using velmora::cli::json_string;
using velmora::cli::joined_message;
using velmora::cli::Printer;

std::string g_answer;

const char *answer(std::string text) {
    g_answer = std::move(text);
    return g_answer.c_str();
}

// A JSON value as index.js reads it, the tape a JsonSink keeps with these numbers: words of
// kinds and payloads, and the strings one after another, each string ended by its UTF-16
// offset in all of them decoded, so that JavaScript decodes them at once (as Latin-1 when all
// are ASCII, else as UTF-16: both quicker than UTF-8). A value is its kind and its payload: a number, where its string
// ends, a name's number (names of types, alphabets... numbered as met; vg_name tells them), an
// object's shape, nothing for true and false; an array's values end with kTapeClose. In an
// object the kinds go to its shape (its keys and their kinds in order, numbered as met;
// vg_shape tells them) and only the payloads stay, so that JavaScript makes each shape's
// objects alike, by code made for that shape.
class Tape final : public velmora::cli::TapeNumbers {
public:
    static constexpr std::int32_t kKinds = velmora::cli::JsonSink::kTapeKinds;

    std::int32_t name(const char *name) override {
        const auto [number, added] = names_.number(name);
        if (added)
            name_texts_.push_back(name);
        return number;
    }
    // Keys that are not a message's fields are numbered after those.
    std::int32_t key(const char *key) override {
        const auto [number, added] = other_keys_.number(key);
        if (added)
            key_texts_.push_back(key);
        return first_key_ + number;
    }
    std::int32_t shape(const std::int32_t *first, const std::int32_t *last, std::uint64_t hash) override {
        RecentShape &recent = recent_shapes_[hash % std::size(recent_shapes_)];
        if (recent.keys != nullptr && std::equal(first, last, recent.keys->begin(), recent.keys->end()))
            return recent.number;
        const auto [known, added] = shape_numbers_.try_emplace({first, last},
                                                               static_cast<std::int32_t>(shapes_.size()));
        if (added)
            shapes_.push_back(&known->first);
        recent = {&known->first, known->second};
        return known->second;
    }

    // The keys of shape `number` and their kinds, in order: [["format",9],...].
    std::string shape_text(std::size_t number) const {
        std::string out = "[";
        for (const std::int32_t key : *shapes_.at(number))
            out += (out.size() > 1 ? ",[" : "[") + json_string(key_texts_[static_cast<std::size_t>(key / kKinds)]) +
                   "," + std::to_string(key % kKinds) + "]";
        return out + "]";
    }
    const char *name_text(std::size_t number) const { return name_texts_.at(number); }

private:

    // Strings that live as long as the program, numbered by their address as they are met.
    class Numbering {
    public:
        // The text's number, and whether it is new.
        std::pair<std::int32_t, bool> number(const void *text) {
            Recent &recent = recent_[static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(text) * 2654435761u) >> 25];
            if (recent.text == text)
                return {recent.number, false};
            const auto [known, added] = numbers_.try_emplace(text, static_cast<std::int32_t>(numbers_.size()));
            recent = {text, known->second};
            return {known->second, added};
        }

    private:
        std::unordered_map<const void *, std::int32_t> numbers_;
        struct Recent {
            const void *text = nullptr;
            std::int32_t number = 0;
        };
        Recent recent_[128];  // numbers_ in front: most found at once
    };

    // Keys by number: a message's fields by their place in the field table, other keys after them.
    std::vector<std::string_view> key_texts_ = velmora::cli::message_json_keys();
    const std::int32_t first_key_ = static_cast<std::int32_t>(key_texts_.size());
    Numbering other_keys_, names_;
    std::vector<const char *> name_texts_;  // by number
    std::map<std::vector<std::int32_t>, std::int32_t> shape_numbers_;
    std::vector<const std::vector<std::int32_t> *> shapes_;  // their keys by number
    struct RecentShape {
        const std::vector<std::int32_t> *keys = nullptr;
        std::int32_t number = 0;
    };
    RecentShape recent_shapes_[1024];  // shape_numbers_ in front, by hash (64 let the vectors' shapes collide)
};

Tape g_tape;
velmora::cli::JsonSink g_value(g_tape);  // keeps the tape
velmora_error g_error = VELMORA_ERROR_INIT;

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
    if (x.status == VELMORA_OK)
        out += "\"message\":" + velmora::cli::message_json(message, "");
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

// One PDU decoded into the tool's message on a tape; nullptr when it cannot be read (vg_decode
// then tells why, with the field map).
__attribute__((used)) const std::int32_t *vg_read(const char *hex, std::size_t length, unsigned flags) {
    static const std::unique_ptr<velmora_message> message = [] {
        auto m = std::make_unique<velmora_message>();
        velmora_message_init(m.get());
        return m;
    }();
    if (velmora_decode_hex(hex, length, flags, message.get(), nullptr) != VELMORA_OK)
        return nullptr;
    g_value.clear();
    velmora::cli::message_json(*message, g_value);
    return g_value.tape();
}

// velmora_encode or velmora_encode_data with the options of `numbers`: a tape of
// [{"hex":..., "tpdu_length":...}, ...], or nullptr with the error for vg_encode_error.
__attribute__((used)) const std::int32_t *vg_encode(const char *text, std::size_t length, int data,
                                                    const std::int32_t *numbers, const char *to, const char *smsc,
                                                    const char *from) {
    static std::vector<velmora_pdu> pdus = [] {
        std::vector<velmora_pdu> room(8);
        velmora_pdu_init(room.data(), room.size());
        return room;
    }();
    const velmora_submit_options options = submit_options(numbers, to, smsc, from);
    const auto encode = [&](std::size_t &count) {
        return data ? velmora_encode_data(reinterpret_cast<const std::uint8_t *>(text), length, &options, pdus.data(),
                                          pdus.size(), &count, &g_error)
                    : velmora_encode(text, length, &options, pdus.data(), pdus.size(), &count, &g_error);
    };
    std::size_t count = 0;
    velmora_status status = encode(count);
    if (status == VELMORA_E_NO_ROOM && count > pdus.size()) {  // more parts than ever before: room for them
        pdus.resize(count);
        velmora_pdu_init(pdus.data(), pdus.size());
        status = encode(count);
    }
    if (status != VELMORA_OK)
        return nullptr;
    g_value.clear();
    g_value.open('[');
    for (std::size_t i = 0; i < count; ++i) {
        g_value.open('{');
        g_value.key("hex"), g_value.string({pdus[i].hex, pdus[i].hex_length});
        g_value.key("tpdu_length"), g_value.number(pdus[i].tpdu_length);
        g_value.close('}');
    }
    g_value.close(']');
    return g_value.tape();
}

// What a modem printed, read line by line by velmora_modem_reader: [{"line":1, "kind":"message",
// "pdu":"07...", "flags":5, "message":{...}}, {"line":4, "kind":"failed", "error":{...}},
// {"line":6, "kind":"sent", "sent":{"message_reference":7}}, {"line":9, "kind":"modem_error",
// "modem_error":{"code":322, "message":"memory full"}}, ...] (the tool's keys); lines it finds
// nothing in (echoes, OK, unsolicited noise) give nothing.
__attribute__((used)) const char *vg_modem_read(const char *text, std::size_t length, unsigned flags) {
    static constexpr const char *kKinds[] = {"", "message", "failed", "sent", "modem_error"};
    velmora_modem_reader reader;
    velmora_modem_reader_init(&reader, flags);
    velmora_modem_entry entry;
    velmora_modem_entry_init(&entry);
    auto message = std::make_unique<velmora_message>();
    velmora_message_init(message.get());
    std::string out = "[";
    const std::string_view all(text, length);
    std::size_t number = 0;
    for (std::size_t start = 0; start <= all.size(); ++number) {
        const std::size_t end = std::min(all.find('\n', start), all.size());
        velmora_modem_feed(&reader, all.data() + start, end - start);
        start = end + 1;
        velmora_error error = VELMORA_ERROR_INIT;
        for (velmora_modem_kind kind; (kind = velmora_modem_next(&reader, &entry, message.get(), &error)) != VELMORA_MODEM_NONE;) {
            JsonObject o;
            o.add("line", static_cast<long long>(number + 1)).add("kind", json_string(kKinds[kind]));
            if (entry.pdu != nullptr)
                o.add("pdu", json_string({entry.pdu, entry.pdu_length})).add("flags", entry.decode_flags);
            if (kind == VELMORA_MODEM_MESSAGE)
                o.add("message", velmora::cli::message_json(*message, "", &entry));
            else if (kind == VELMORA_MODEM_FAILED)
                o.add("error", error_json(error));
            else if (kind == VELMORA_MODEM_SENT)
                o.add("sent", JsonObject().add("message_reference", entry.message_reference).text());
            else
                o.add("modem_error", velmora::cli::cms_error_json(entry));
            out += (out.size() > 1 ? "," : "") + o.text();
        }
    }
    return answer(out + "]");
}

// The keys of the objects of shape `number` on a tape and their values' kinds, in order:
// [["format",9],["type",9],...].
__attribute__((used)) const char *vg_shape(std::size_t number) { return answer(g_tape.shape_text(number)); }
// Name `number` on a tape.
__attribute__((used)) const char *vg_name(std::size_t number) { return g_tape.name_text(number); }

// {"status":..., "message":..., "offset":..., "field":..., "code_point":...} of the last vg_encode that failed.
__attribute__((used)) const char *vg_encode_error() { return answer(error_json(g_error)); }

}  // extern "C"
