// SPDX-License-Identifier: Apache-2.0
// Putting concatenated messages back together in storage the caller owns.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/utf8.h"
#include "sms/abi.h"
#include "sms/record_bytes.h"

namespace velmora::sms {
namespace {

// How a part's user data joins the others'.
enum class Content : std::uint8_t {
    Text,  // UTF-8 text
    Ucs2,  // UCS-2 octets, joined with the neighbouring UCS-2 parts before conversion; the
           // part's own UTF-8 after them when it fits, for parts that leave no pair open
    Data,  // octets
};

constexpr std::uint16_t kTextNotKept = 0xFFFF;

// The record's fields up to its header: everything but the arrays, which a slot replaces
// by the one payload joining needs; and its members after the arrays, the warnings and the
// time stamps as read.
constexpr std::size_t kFieldsSize = offsetof(velmora_message, udh);
constexpr std::size_t kTailAt = offsetof(velmora_message, warnings);
constexpr std::size_t kTailSize = sizeof(velmora_message) - kTailAt;

struct Slot {
    std::uint64_t time;
    std::uint64_t ident;  // Key::ident of the part
    std::uint32_t generation;  // moves on each time the slot is freed
    std::uint8_t used;
    Content content;
    std::uint16_t payload_length;
    std::uint16_t text_length;  // of the UTF-8 after UCS-2 octets; 0xFFFF: not kept
    std::uint32_t message;  // the slot its message's first part went to, which stays held as long as the message
    alignas(8) unsigned char fields[kFieldsSize];
    alignas(8) unsigned char tail[kTailSize];
    char payload[VELMORA_TEXT_CAPACITY];
};
static_assert(sizeof(Slot) <= VELMORA_REASSEMBLY_SLOT_SIZE && alignof(Slot) <= 8);
static_assert(VELMORA_DATA_CAPACITY <= VELMORA_TEXT_CAPACITY);

// Members of a slot's fields, read as the record lays them out.
template <class T>
T member(const Slot &slot, std::size_t offset) {
    T value;
    std::memcpy(&value, slot.fields + offset, sizeof value);
    return value;
}
#define VELMORA_SLOT_MEMBER(slot, name) member<decltype(velmora_message::name)>(slot, offsetof(velmora_message, name))

const char *address_text(const Slot &slot, std::size_t address_offset) {
    return reinterpret_cast<const char *>(slot.fields + address_offset + offsetof(velmora_address, text));
}

// What decides that two parts belong to one message: format, type, reference (and its
// bits) and number of parts in one word, compared before the addresses.
struct Key {
    std::uint64_t ident;
    const char *originator, *recipient;
};

std::uint64_t ident_of(const velmora_message &m) {
    return std::uint64_t{m.format} | std::uint64_t{m.type} << 8 | std::uint64_t{m.reference_bits} << 16 |
           std::uint64_t{m.parts} << 24 | std::uint64_t{m.reference} << 32;
}

Key key_of(const velmora_message &m) { return {ident_of(m), m.originator.text, m.recipient.text}; }

Key key_of(const Slot &slot) {
    return {slot.ident, address_text(slot, offsetof(velmora_message, originator)),
            address_text(slot, offsetof(velmora_message, recipient))};
}

// Two addresses' texts, each in an array of VELMORA_ADDRESS_CAPACITY. Decoding leaves the
// bytes after the NUL zero, so the same address is nearly always the same array.
bool same_address(const char *a, const char *b) {
    return std::memcmp(a, b, VELMORA_ADDRESS_CAPACITY) == 0 || std::strcmp(a, b) == 0;
}

bool same_message(const Key &a, const Key &b) {
    return a.ident == b.ident && same_address(a.originator, b.originator) && same_address(a.recipient, b.recipient);
}

std::uint8_t part_of(const Slot &slot) { return VELMORA_SLOT_MEMBER(slot, part); }

Slot *slots(const velmora_reassembly &r) { return static_cast<Slot *>(r.storage); }

bool concatenated(const velmora_message &m) { return m.reference_bits != 0 && m.parts >= 2; }

// Calls visit(slot index) for every slot from `from` on holding a part of the message a
// slot holds a part of, known by its Slot::message. The slots, their count and the message
// are read once: what `visit` stores (a group's octets) could otherwise alias them.
template <class Visit>
void for_each_part(const velmora_reassembly &r, const Slot &of, Visit &&visit, std::uint32_t from = 0) {
    const Slot *const all = slots(r);
    const std::uint32_t capacity = r.capacity, message = of.message;
    for (std::uint32_t i = from; i < capacity; ++i)
        if (all[i].used && all[i].message == message)
            visit(i);
}

// The same for the message `key` names: its addresses are compared only until a first
// part is found.
template <class Visit>
void for_each_part(const velmora_reassembly &r, const Key &key, Visit &&visit) {
    for (std::uint32_t i = 0; i < r.capacity; ++i)
        if (slots(r)[i].used && same_message(key_of(slots(r)[i]), key))
            return for_each_part(r, slots(r)[i], visit, i);
}

// Counts slot i, which holds a part of the group's message, into the group.
void include(const velmora_reassembly &r, std::uint32_t i, velmora_group &g) {
    const Slot &slot = slots(r)[i];
    g.have[part_of(slot) / 8] |= static_cast<std::uint8_t>(1u << part_of(slot) % 8);
    if (g.present == 0 || part_of(slot) < part_of(slots(r)[g.slot]))
        g.slot = i;
    if (g.present == 0 || slot.time < g.first_time)
        g.first_time = slot.time;
    ++g.present;
}

// The rest of a group from its first slot, once every part is counted.
void finish(const velmora_reassembly &r, velmora_group &g) {
    const Slot &lowest = slots(r)[g.slot];
    g.parts = VELMORA_SLOT_MEMBER(lowest, parts);
    g.reference_bits = VELMORA_SLOT_MEMBER(lowest, reference_bits);
    g.reference = VELMORA_SLOT_MEMBER(lowest, reference);
    g.generation = lowest.generation;
}

velmora_group describe(const velmora_reassembly &r, const Slot &of) {
    velmora_group g{};
    for_each_part(r, of, [&](std::uint32_t i) { include(r, i, g); });
    finish(r, g);
    return g;
}

// The group's first slot while it still holds the message the group describes.
const Slot *live_slot(const velmora_reassembly *r, const velmora_group *g) {
    if (!sized(r, kFirstReassemblySize) || !sized(g, kFirstGroupSize) || g->slot >= r->capacity)
        return nullptr;
    const Slot &slot = slots(*r)[g->slot];
    return slot.used && slot.generation == g->generation ? &slot : nullptr;
}

// VELMORA_E_ARGUMENT for a reassembly or group smaller than the first release's,
// VELMORA_E_STALE_GROUP when the group's message is gone; else `first` is its first slot.
velmora_status find_group(const velmora_reassembly *r, const velmora_group *g, const Slot *&first) {
    if (!sized(r, kFirstReassemblySize) || !sized(g, kFirstGroupSize))
        return VELMORA_E_ARGUMENT;
    first = live_slot(r, g);
    return first != nullptr ? VELMORA_OK : VELMORA_E_STALE_GROUP;
}

// The slots of a message's parts, in part order.
struct PartSlots {
    std::array<const Slot *, 255> slots;
    std::size_t count = 0;
};

PartSlots parts_in_order(const velmora_reassembly &r, const Slot &first) {
    PartSlots held;
    for_each_part(r, first, [&](std::uint32_t i) { held.slots[held.count++] = &slots(r)[i]; });
    // Parts that came in order took the free slots in order.
    const auto lower_part = [](const Slot *a, const Slot *b) { return part_of(*a) < part_of(*b); };
    if (!std::is_sorted(held.slots.begin(), held.slots.begin() + held.count, lower_part))
        std::sort(held.slots.begin(), held.slots.begin() + held.count, lower_part);
    return held;
}

// Bytes copied while they fit, counted all the same.
template <class T>
struct Output {
    T *out;
    std::size_t capacity;
    std::size_t length = 0;
    void put(const void *from, std::size_t count) {
        if (length < capacity)
            std::memcpy(out + length, from, std::min(count, capacity - length));
        length += count;
    }
};

// UCS-2 octets of consecutive parts, converted as one run: what a part leaves open (half a
// surrogate pair, an odd octet) goes on in the next.
class Ucs2Run {
public:
    void add(const Slot &slot, Output<char> &out, bool last_of_run) {
        const auto *payload = reinterpret_cast<const std::uint8_t *>(slot.payload);
        if (carried_ == 0 && slot.text_length != kTextNotKept &&
            (last_of_run || velmora::utf16be_open_tail({payload, slot.payload_length}) == 0)) {
            out.put(slot.payload + slot.payload_length, slot.text_length);  // converted as it was decoded
            return;
        }
        std::memcpy(run_.data() + carried_, payload, slot.payload_length);
        const std::span<const std::uint8_t> octets(run_.data(), carried_ + slot.payload_length);
        const std::size_t open = last_of_run ? 0 : velmora::utf16be_open_tail(octets);
        out.put(utf8_.data(), velmora::utf16be_to_utf8(octets.first(octets.size() - open), utf8_.data()));
        std::memmove(run_.data(), octets.data() + octets.size() - open, open);
        carried_ = open;
    }

private:
    std::array<std::uint8_t, 3 + VELMORA_TEXT_CAPACITY> run_;
    std::array<char, 3 * (3 + VELMORA_TEXT_CAPACITY) / 2 + 3> utf8_;
    std::size_t carried_ = 0;
};

// The members after the arrays of a part whose record ends before their end (a caller built
// with an older header): those it has, the rest as a record read without warnings has them.
[[gnu::cold, gnu::noinline]] void store_short_tail(Slot &slot, const velmora_message &part) {
    const std::size_t had = part.size > kTailAt ? part.size - kTailAt : 0;
    velmora_message none{};
    none.warning_field = "";
    std::memcpy(slot.tail, reinterpret_cast<const unsigned char *>(&part) + kTailAt, had);
    std::memcpy(slot.tail + had, reinterpret_cast<const unsigned char *>(&none) + kTailAt + had, kTailSize - had);
}

void store_tail(Slot &slot, const velmora_message &part) {
    if (part.size >= sizeof(velmora_message))
        copy_bytes(slot.tail, reinterpret_cast<const unsigned char *>(&part) + kTailAt, kTailSize);
    else
        store_short_tail(slot, part);
}

void store(Slot &slot, const velmora_message &part, std::uint64_t time, std::uint32_t message) {
    copy_bytes(slot.fields, &part, kFieldsSize);
    store_tail(slot, part);
    slot.ident = ident_of(part);
    slot.message = message;
    slot.time = time;
    slot.used = 1;
    const bool text = part.present & VELMORA_HAS_TEXT;
    slot.text_length = kTextNotKept;
    if (text && part.alphabet == VELMORA_ALPHABET_UCS2) {
        slot.content = Content::Ucs2;
        slot.payload_length = static_cast<std::uint16_t>(part.data_length);
        std::memcpy(slot.payload, part.data, part.data_length);
        if (part.data_length + part.text_length <= sizeof slot.payload) {
            slot.text_length = static_cast<std::uint16_t>(part.text_length);
            std::memcpy(slot.payload + part.data_length, part.text, part.text_length);
        }
    } else if (text) {
        slot.content = Content::Text;
        slot.payload_length = static_cast<std::uint16_t>(part.text_length);
        std::memcpy(slot.payload, part.text, part.text_length);
    } else {
        slot.content = Content::Data;
        slot.payload_length = static_cast<std::uint16_t>(part.data_length);
        std::memcpy(slot.payload, part.data, part.data_length);
    }
}

}  // namespace
}  // namespace velmora::sms

using namespace velmora::sms;

extern "C" std::size_t velmora_reassembly_storage_size(std::uint32_t slots) { return std::size_t{slots} * sizeof(Slot); }

extern "C" velmora_status(velmora_reassembly_init)(velmora_reassembly *r, void *storage, std::size_t bytes,
                                                    std::size_t size) {
    constexpr std::size_t kMaxSlots = std::size_t{1} << 24;
    if (r == nullptr || size < kFirstReassemblySize || storage == nullptr ||
        reinterpret_cast<std::uintptr_t>(storage) % alignof(Slot) != 0 || bytes < sizeof(Slot))
        return VELMORA_E_ARGUMENT;
    const velmora_reassembly value{0, static_cast<std::uint32_t>(std::min(bytes / sizeof(Slot), kMaxSlots)), storage};
    init_struct(r, size, value);
    for (std::uint32_t i = 0; i < r->capacity; ++i) {
        Slot &slot = slots(*r)[i];
        slot.used = 0;
        slot.generation = 0;
    }
    return VELMORA_OK;
}

extern "C" velmora_add_result velmora_reassembly_add(velmora_reassembly *r, const velmora_message *part,
                                                     std::uint64_t time, velmora_group *group) {
    if (!sized(r, kFirstReassemblySize) || !sized(part, kFirstMessageSize) ||
        (group != nullptr && !sized(group, kFirstGroupSize)))
        return VELMORA_ADD_INVALID;
    if (!concatenated(*part))
        return VELMORA_ADD_SINGLE;
    Slot *end = slots(*r) + r->capacity;
    Slot *free = std::find_if(slots(*r), end, [](const Slot &s) { return !s.used; });
    // With a free slot the call cannot fail, and a whole group is built where the caller
    // has it: copying out one just built would wait on the stores of its narrow members.
    velmora_group local{};
    const bool in_place = free != end && group != nullptr && group->size >= sizeof(velmora_group);
    velmora_group &g = in_place ? *group : local;
    if (in_place) {
        const std::uint32_t size = group->size;
        g = velmora_group{};
        g.size = size;
    }
    bool held = false;
    for_each_part(*r, key_of(*part), [&](std::uint32_t i) {
        held = held || part_of(slots(*r)[i]) == part->part;
        include(*r, i, g);
    });
    velmora_add_result result = VELMORA_ADD_DUPLICATE;
    if (!held) {
        if (free == end)
            return VELMORA_ADD_FULL;
        const auto index = static_cast<std::uint32_t>(free - slots(*r));
        store(*free, *part, time, g.present != 0 ? slots(*r)[g.slot].message : index);
        include(*r, index, g);
    }
    finish(*r, g);
    if (!held)
        result = g.present == g.parts ? VELMORA_ADD_COMPLETE : VELMORA_ADD_STORED;
    if (group != nullptr && !in_place)
        write_prefix(g, *group);
    return result;
}

extern "C" std::size_t velmora_reassembly_groups(const velmora_reassembly *r, velmora_group *groups,
                                                 std::size_t capacity) {
    if (!sized(r, kFirstReassemblySize) || (capacity != 0 && !sized(groups, kFirstGroupSize)))
        return 0;
    const std::uint32_t stride = capacity != 0 ? groups[0].size : 0;
    // A message is counted once, from the first slot that holds one of its parts; the
    // earliest `capacity` of them are kept in order as they come (ties in slot order).
    std::size_t count = 0, kept = 0;
    auto at = [&](std::size_t i) -> velmora_group & { return element(groups, i, stride); };
    for (std::uint32_t i = 0; i < r->capacity; ++i) {
        const Slot &slot = slots(*r)[i];
        if (!slot.used)
            continue;
        bool earlier = false;
        for (std::uint32_t j = 0; j < i && !earlier; ++j)
            earlier = slots(*r)[j].used && slots(*r)[j].message == slot.message;
        if (earlier)
            continue;
        ++count;
        const velmora_group g = describe(*r, slot);
        // Insertion into the kept list, by first_time, the latest falling out when full.
        std::size_t place = kept;
        while (place > 0 && at(place - 1).first_time > g.first_time)
            --place;
        if (place == capacity)
            continue;
        for (std::size_t k = std::min(kept, capacity - 1); k > place; --k)
            std::memmove(&at(k), &at(k - 1), stride);
        at(place).size = stride;
        write_prefix(g, at(place));
        kept = std::min(kept + 1, capacity);
    }
    return count;
}

extern "C" std::int32_t velmora_reassembly_slot(const velmora_reassembly *r, const velmora_group *g,
                                                std::uint32_t part) {
    const Slot *first = live_slot(r, g);
    if (first == nullptr)
        return -1;
    std::int32_t found = -1;
    for_each_part(*r, *first, [&](std::uint32_t i) {
        if (part_of(slots(*r)[i]) == part)
            found = static_cast<std::int32_t>(i);
    });
    return found;
}

extern "C" velmora_status velmora_reassembly_text(const velmora_reassembly *r, const velmora_group *g, char *text,
                                                  std::size_t capacity, std::size_t *length) {
    const Slot *first = nullptr;
    if (const velmora_status status = find_group(r, g, first); status != VELMORA_OK)
        return status;
    if ((text == nullptr && capacity != 0) || length == nullptr)
        return VELMORA_E_ARGUMENT;
    const PartSlots held = parts_in_order(*r, *first);
    Output<char> out{text, capacity};
    Ucs2Run ucs2;
    for (std::size_t k = 0; k < held.count; ++k) {
        const Slot &slot = *held.slots[k];
        if (slot.content == Content::Ucs2)
            ucs2.add(slot, out, k + 1 == held.count || held.slots[k + 1]->content != Content::Ucs2);
        else if (slot.content == Content::Text)
            out.put(slot.payload, slot.payload_length);
    }
    if (out.length < capacity)
        text[out.length] = '\0';
    *length = out.length;
    return VELMORA_OK;
}

extern "C" velmora_status velmora_reassembly_data(const velmora_reassembly *r, const velmora_group *g,
                                                  std::uint8_t *data, std::size_t capacity, std::size_t *length) {
    const Slot *first = nullptr;
    if (const velmora_status status = find_group(r, g, first); status != VELMORA_OK)
        return status;
    if ((data == nullptr && capacity != 0) || length == nullptr)
        return VELMORA_E_ARGUMENT;
    const PartSlots held = parts_in_order(*r, *first);
    Output<std::uint8_t> out{data, capacity};
    for (std::size_t k = 0; k < held.count; ++k)
        if (held.slots[k]->content != Content::Text)
            out.put(held.slots[k]->payload, held.slots[k]->payload_length);
    *length = out.length;
    return VELMORA_OK;
}

extern "C" velmora_status velmora_reassembly_fields(const velmora_reassembly *r, const velmora_group *g,
                                                    velmora_message *message) {
    const Slot *first = nullptr;
    if (const velmora_status status = find_group(r, g, first); status != VELMORA_OK)
        return status;
    if (!sized(message, kFirstMessageSize))
        return VELMORA_E_ARGUMENT;
    const Slot &lowest = *parts_in_order(*r, *first).slots[0];
    const std::uint32_t size = message->size;
    copy_bytes(message, lowest.fields, kFieldsSize);
    if (size > kTailAt)
        std::memcpy(reinterpret_cast<unsigned char *>(message) + kTailAt, lowest.tail,
                    std::min<std::size_t>(size - kTailAt, kTailSize));
    message->size = size;
    message->udh_length = message->element_count = 0;
    message->text_length = message->data_length = 0;
    message->present &= ~VELMORA_HAS_UDH;
    message->text[0] = '\0';
    return VELMORA_OK;
}

extern "C" velmora_status velmora_reassembly_release(velmora_reassembly *r, const velmora_group *g) {
    const Slot *first = nullptr;
    if (const velmora_status status = find_group(r, g, first); status != VELMORA_OK)
        return status;
    for_each_part(*r, *first, [&](std::uint32_t i) {
        Slot &slot = slots(*r)[i];
        slot.used = 0;
        ++slot.generation;
    });
    return VELMORA_OK;
}
