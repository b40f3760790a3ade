// Putting concatenated messages back together in slots the caller owns.
#include <algorithm>
#include <array>
#include <cstring>

#include "codec/utf8.h"
#include "velmora/sms.h"

namespace {

bool concatenated(const velmora_message &m) { return m.reference_bits != 0 && m.parts >= 2; }

bool same_message(const velmora_message &a, const velmora_message &b) {
    return a.format == b.format && a.type == b.type && a.reference_bits == b.reference_bits &&
           a.reference == b.reference && a.parts == b.parts && std::strcmp(a.originator.text, b.originator.text) == 0 &&
           std::strcmp(a.recipient.text, b.recipient.text) == 0;
}

// Calls visit(slot index) for every slot holding a part of the same message as `key`.
template <class Visit>
void for_each_part(const velmora_reassembly &r, const velmora_message &key, Visit &&visit) {
    for (std::uint32_t i = 0; i < r.capacity; ++i)
        if (r.slots[i].used && same_message(r.slots[i].message, key))
            visit(i);
}

velmora_group describe(const velmora_reassembly &r, const velmora_message &key) {
    velmora_group g{};
    g.parts = key.parts;
    g.reference_bits = key.reference_bits;
    g.reference = key.reference;
    bool first = true;
    for_each_part(r, key, [&](std::uint32_t i) {
        const velmora_slot &slot = r.slots[i];
        g.have[slot.message.part / 8] |= static_cast<std::uint8_t>(1u << slot.message.part % 8);
        ++g.present;
        if (first || slot.message.part < r.slots[g.first_slot].message.part)
            g.first_slot = i;
        if (first || slot.time < g.first_time)
            g.first_time = slot.time;
        first = false;
    });
    return g;
}

// The slots of a message's parts, in part order.
struct PartSlots {
    std::array<std::uint32_t, 255> slots;
    std::size_t count = 0;
};

PartSlots parts_in_order(const velmora_reassembly &r, const velmora_group &g) {
    PartSlots held;
    for (std::uint32_t part = 1; part <= g.parts; ++part) {
        const std::int32_t slot = velmora_reassembly_slot(&r, &g, part);
        if (slot >= 0)
            held.slots[held.count++] = static_cast<std::uint32_t>(slot);
    }
    return held;
}

// Bytes copied while they fit, counted all the same.
template <class T>
struct Output {
    T *out;
    std::size_t capacity;
    std::size_t length = 0;
    void put(const T *from, std::size_t count) {
        if (length < capacity)
            std::memcpy(out + length, from, std::min(count, capacity - length) * sizeof(T));
        length += count;
    }
};

}  // namespace

extern "C" void velmora_reassembly_init(velmora_reassembly *r, velmora_slot *slots, std::uint32_t capacity) {
    r->slots = slots;
    r->capacity = slots != nullptr ? capacity : 0;
    for (std::uint32_t i = 0; i < r->capacity; ++i)
        slots[i].used = 0;
}

extern "C" velmora_add_result velmora_reassembly_add(velmora_reassembly *r, const velmora_message *part,
                                                     std::uint64_t time, velmora_group *group) {
    if (!concatenated(*part))
        return VELMORA_ADD_SINGLE;
    bool held = false;
    for_each_part(*r, *part, [&](std::uint32_t i) { held = held || r->slots[i].message.part == part->part; });
    velmora_add_result result = VELMORA_ADD_DUPLICATE;
    if (!held) {
        velmora_slot *free = std::find_if(r->slots, r->slots + r->capacity, [](const velmora_slot &s) { return !s.used; });
        if (free == r->slots + r->capacity)
            return VELMORA_ADD_FULL;
        free->message = *part;
        free->time = time;
        free->used = 1;
    }
    const velmora_group g = describe(*r, *part);
    if (!held)
        result = g.present == g.parts ? VELMORA_ADD_COMPLETE : VELMORA_ADD_STORED;
    if (group != nullptr)
        *group = g;
    return result;
}

extern "C" std::size_t velmora_reassembly_groups(const velmora_reassembly *r, velmora_group *groups,
                                                 std::size_t capacity) {
    // A message is counted once, from the first slot that holds one of its parts; the
    // earliest `capacity` of them are kept in order as they come (ties in slot order).
    std::size_t count = 0;
    for (std::uint32_t i = 0; i < r->capacity; ++i) {
        if (!r->slots[i].used)
            continue;
        bool earlier = false;
        for (std::uint32_t j = 0; j < i && !earlier; ++j)
            earlier = r->slots[j].used && same_message(r->slots[j].message, r->slots[i].message);
        if (earlier)
            continue;
        const velmora_group g = describe(*r, r->slots[i].message);
        const std::size_t kept = std::min(count++, capacity);
        velmora_group *at = std::upper_bound(groups, groups + kept, g, [](const velmora_group &a, const velmora_group &b) {
            return a.first_time < b.first_time;
        });
        if (at == groups + capacity)
            continue;  // later than every one kept, and no room
        velmora_group *last = groups + std::min(kept, capacity - 1);  // the last one kept falls out when full
        std::move_backward(at, last, last + 1);
        *at = g;
    }
    return count;
}

extern "C" std::int32_t velmora_reassembly_slot(const velmora_reassembly *r, const velmora_group *g,
                                                std::uint32_t part) {
    std::int32_t found = -1;
    if (g->first_slot < r->capacity)
        for_each_part(*r, r->slots[g->first_slot].message, [&](std::uint32_t i) {
            if (r->slots[i].message.part == part)
                found = static_cast<std::int32_t>(i);
        });
    return found;
}

extern "C" std::size_t velmora_reassembly_text(const velmora_reassembly *r, const velmora_group *g, char *text,
                                               std::size_t capacity) {
    const PartSlots held = parts_in_order(*r, *g);
    const auto message = [&](std::size_t k) -> const velmora_message & { return r->slots[held.slots[k]].message; };
    Output<char> out{text, capacity};
    const bool ucs2 = held.count != 0 && std::all_of(held.slots.begin(), held.slots.begin() + held.count, [&](std::uint32_t s) {
        return r->slots[s].message.alphabet == VELMORA_ALPHABET_UCS2;
    });
    if (ucs2) {
        // Each part's octets behind what the part before left open, so that a character
        // cut between two parts comes out whole.
        std::array<std::uint8_t, 3 + VELMORA_DATA_CAPACITY> run;
        std::array<char, 3 * run.size() / 2 + 3> utf8;
        std::size_t carried = 0;
        for (std::size_t k = 0; k < held.count; ++k) {
            std::memcpy(run.data() + carried, message(k).data, message(k).data_length);
            const std::span<const std::uint8_t> octets(run.data(), carried + message(k).data_length);
            const std::size_t open = k + 1 < held.count ? velmora::utf16be_open_tail(octets) : 0;
            out.put(utf8.data(), velmora::utf16be_to_utf8(octets.first(octets.size() - open), utf8.data()));
            std::memmove(run.data(), octets.data() + octets.size() - open, open);
            carried = open;
        }
    } else {
        for (std::size_t k = 0; k < held.count; ++k)
            out.put(message(k).text, message(k).text_length);
    }
    if (out.length < capacity)
        text[out.length] = '\0';
    return out.length;
}

extern "C" std::size_t velmora_reassembly_data(const velmora_reassembly *r, const velmora_group *g,
                                               std::uint8_t *data, std::size_t capacity) {
    const PartSlots held = parts_in_order(*r, *g);
    Output<std::uint8_t> out{data, capacity};
    for (std::size_t k = 0; k < held.count; ++k)
        out.put(r->slots[held.slots[k]].message.data, r->slots[held.slots[k]].message.data_length);
    return out.length;
}

extern "C" void velmora_reassembly_release(velmora_reassembly *r, const velmora_group *g) {
    if (g->first_slot >= r->capacity || !r->slots[g->first_slot].used)
        return;
    const velmora_message key = r->slots[g->first_slot].message;
    for_each_part(*r, key, [&](std::uint32_t i) { r->slots[i].used = 0; });
}
