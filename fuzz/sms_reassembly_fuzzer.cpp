// SPDX-License-Identifier: Apache-2.0
// Reassembly under random sequences of add, groups, slot, text, data, fields and release (double releases and stale
// groups among them) over a few slots in storage of exactly their size, the parts random texts encoded and decoded
// again; every result checked against a model of the parts held, a complete message joined back to its text.
// Input: slots, messages, then for each message a length and a choice of characters, then two-octet operations.
#include "fuzz.h"

namespace {

constexpr std::size_t kMaxMessages = 3;
constexpr std::size_t kMaxGroups = 8;

// Characters of one, two, three and four UTF-8 bytes, in the default alphabet or not, so
// that texts go as GSM 7-bit (escape pairs too) or UCS-2 (surrogate pairs too).
constexpr const char *kCharacters[] = {"a", " ", "{", "\xC3\xA9", "\xE2\x82\xAC", "\xD0\x96", "\xF0\x9F\x98\x80", "\n"};

struct Message {
    std::string text;
    std::vector<std::unique_ptr<velmora_message>> parts;  // one record: not concatenated
};

Message make_message(fuzz::Input &input, std::uint8_t reference) {
    Message m;
    const std::size_t length = input.take(1);
    std::uint32_t random = input.take(1);  // also: bit 7 allows characters beyond the default alphabet
    const std::uint32_t choices = random & 0x80 ? 8 : 5;
    for (std::size_t i = 0; i < length; ++i) {
        random = random * 1103515245u + 12345u;
        m.text += kCharacters[(random >> 16) % choices];
    }
    velmora_submit_options o;
    velmora_submit_options_init(&o);
    o.to = "12345";
    o.reference = reference;
    std::vector<velmora_pdu> pdus(16);  // 255 characters of UTF-16 pairs take 8
    velmora_pdu_init(pdus.data(), pdus.size());
    std::size_t count = 0;
    FUZZ_CHECK(velmora_encode(m.text.data(), m.text.size(), &o, pdus.data(), pdus.size(), &count, nullptr) ==
               VELMORA_OK);
    for (std::size_t i = 0; i < count; ++i) {
        auto record = std::make_unique<velmora_message>();
        velmora_message_init(record.get());
        FUZZ_CHECK(velmora_decode_hex(pdus[i].hex, pdus[i].hex_length, 0, record.get(), nullptr) == VELMORA_OK);
        m.parts.push_back(std::move(record));
    }
    return m;
}

// What the model says is held: per message, the parts of its current instance; an
// instance ends when it is released, and a group of an ended instance is stale.
struct Model {
    std::array<std::set<std::uint32_t>, kMaxMessages> held{};
    std::array<int, kMaxMessages> instance{-1, -1, -1};
    std::set<int> ended;
    int instances = 0;
    std::size_t used = 0;  // parts held, all messages
};

struct SavedGroup {
    velmora_group group;
    std::size_t message;
    int instance;
};

void check_group(const velmora_group &g, const Model &model, std::size_t j, const Message &m) {
    FUZZ_CHECK(g.parts == m.parts.size() && g.present == model.held[j].size() && g.reference == j + 1);
    for (std::uint32_t part = 1; part <= g.parts; ++part)
        FUZZ_CHECK(VELMORA_GROUP_HAS(&g, part) == model.held[j].count(part));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    fuzz::Input input{data, size};
    const std::uint32_t slots = 1 + input.take(1) % 4;
    const std::size_t message_count = 1 + input.take(1) % kMaxMessages;
    std::vector<Message> messages;
    for (std::size_t j = 0; j < message_count; ++j)
        messages.push_back(make_message(input, static_cast<std::uint8_t>(j + 1)));

    const std::size_t bytes = velmora_reassembly_storage_size(slots);
    const auto storage = std::make_unique<unsigned char[]>(bytes);
    velmora_reassembly r;
    FUZZ_CHECK(velmora_reassembly_init(&r, storage.get(), bytes) == VELMORA_OK && r.capacity == slots);
    Model model;
    std::vector<SavedGroup> saved;

    while (input.size >= 2) {
        const std::uint32_t op = input.take(1), arg = input.take(1);
        const std::size_t j = arg % message_count;
        const Message &m = messages[j];
        if (op % 7 == 0 || saved.empty()) {  // add a part
            const std::uint32_t part = 1 + (arg >> 2) % m.parts.size();
            velmora_group g;
            velmora_group_init(&g, 1);
            const velmora_add_result added = velmora_reassembly_add(&r, m.parts[part - 1].get(), op, &g);
            if (m.parts.size() == 1) {
                FUZZ_CHECK(added == VELMORA_ADD_SINGLE);
                continue;
            }
            if (model.held[j].count(part)) {
                FUZZ_CHECK(added == VELMORA_ADD_DUPLICATE);
            } else if (model.used == slots) {
                FUZZ_CHECK(added == VELMORA_ADD_FULL);
                continue;
            } else {
                if (model.held[j].empty())
                    model.instance[j] = model.instances++;
                model.held[j].insert(part), ++model.used;
                FUZZ_CHECK(added == (model.held[j].size() == m.parts.size() ? VELMORA_ADD_COMPLETE
                                                                             : VELMORA_ADD_STORED));
            }
            check_group(g, model, j, m);
            if (saved.size() < kMaxGroups)
                saved.push_back({g, j, model.instance[j]});
            else
                saved[arg % kMaxGroups] = {g, j, model.instance[j]};
            continue;
        }
        const SavedGroup &s = saved[arg % saved.size()];
        const bool stale = model.ended.count(s.instance) != 0;
        const Message &held = messages[s.message];
        std::size_t length = 0;
        switch (op % 7) {
        case 1: {  // every message held, once
            std::vector<velmora_group> groups(kMaxMessages + 1);
            velmora_group_init(groups.data(), groups.size());
            const std::size_t count = velmora_reassembly_groups(&r, groups.data(), groups.size());
            std::size_t live = 0;
            for (const auto &parts : model.held)
                live += !parts.empty();
            FUZZ_CHECK(count == live);
            for (std::size_t k = 0; k < count; ++k)
                check_group(groups[k], model, groups[k].reference - 1u, messages[groups[k].reference - 1u]);
            break;
        }
        case 2: {  // the slot of a part
            const std::uint32_t part = 1 + (op >> 3) % held.parts.size();
            const std::int32_t slot = velmora_reassembly_slot(&r, &s.group, part);
            FUZZ_CHECK(stale || !model.held[s.message].count(part) ? slot == -1 : slot >= 0 && slot < int(slots));
            break;
        }
        case 3: {  // the text, whole once every part is in
            std::string text(4 * held.text.size() + 8, '\x5A');
            const velmora_status status = velmora_reassembly_text(&r, &s.group, text.data(), text.size(), &length);
            FUZZ_CHECK(status == (stale ? VELMORA_E_STALE_GROUP : VELMORA_OK));
            if (!stale && model.held[s.message].size() == held.parts.size())
                FUZZ_CHECK(length == held.text.size() && text.compare(0, length + 1, held.text.c_str(), length + 1) == 0);
            break;
        }
        case 4: {  // the data: the UCS-2 parts' octets, none for GSM 7-bit text
            std::uint8_t octets[4];
            const velmora_status status = velmora_reassembly_data(&r, &s.group, octets, sizeof octets, &length);
            FUZZ_CHECK(status == (stale ? VELMORA_E_STALE_GROUP : VELMORA_OK));
            std::size_t expected = 0;
            for (const std::uint32_t part : model.held[s.message])
                expected += held.parts[part - 1]->data_length;
            FUZZ_CHECK(stale || length == expected);
            break;
        }
        case 5: {  // the fields of the lowest part held
            velmora_message fields;
            velmora_message_init(&fields);
            const velmora_status status = velmora_reassembly_fields(&r, &s.group, &fields);
            FUZZ_CHECK(status == (stale ? VELMORA_E_STALE_GROUP : VELMORA_OK));
            FUZZ_CHECK(stale || (fields.reference == s.message + 1 && fields.part == *model.held[s.message].begin() &&
                                 fields.text_length == 0 && fields.udh_length == 0));
            break;
        }
        default: {  // release, perhaps a second time
            FUZZ_CHECK(velmora_reassembly_release(&r, &s.group) == (stale ? VELMORA_E_STALE_GROUP : VELMORA_OK));
            if (!stale) {
                model.used -= model.held[s.message].size();
                model.held[s.message].clear();
                model.ended.insert(s.instance);
            }
            break;
        }
        }
    }
    return 0;
}
