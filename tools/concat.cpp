#include "concat.h"

#include <algorithm>

#include "charset.h"

namespace velmora::cli {

std::optional<JoinedMessage> Joiner::add(const DecodedMessage &part) {
    if (!part.is_part())
        return std::nullopt;
    const Key key{part.cdma, part.sender, part.sender_type, part.reference, part.total};
    auto [it, created] = groups_.try_emplace(key);
    if (created)
        it->second.first_seen = seen_++;
    it->second.parts.try_emplace(part.part, part);
    if (it->second.parts.size() < part.total)
        return std::nullopt;
    JoinedMessage joined = join(it->second, part.total);
    groups_.erase(it);
    return joined;
}

std::vector<JoinedMessage> Joiner::finish() {
    std::vector<const std::pair<const Key, Group> *> open;
    for (const auto &entry : groups_)
        open.push_back(&entry);
    std::sort(open.begin(), open.end(),
              [](const auto *a, const auto *b) { return a->second.first_seen < b->second.first_seen; });
    std::vector<JoinedMessage> joined;
    for (const auto *entry : open)
        joined.push_back(join(entry->second, std::get<4>(entry->first)));
    groups_.clear();
    return joined;
}

JoinedMessage Joiner::join(const Group &group, std::uint32_t total) {
    JoinedMessage joined;
    joined.message = group.parts.begin()->second;
    DecodedMessage &m = joined.message;
    m.part = 0;
    m.data.clear();

    // Same coding throughout: join the raw user data, so that a UCS-2 surrogate pair or
    // an octet sequence cut between two parts comes out whole.
    const Payload first = group.parts.begin()->second.payload;
    const bool uniform = std::all_of(group.parts.begin(), group.parts.end(),
                                     [&](const auto &p) { return p.second.payload == first; });
    m.payload = uniform ? first : Payload::utf8;
    for (std::uint32_t number = 1; number <= total; ++number) {
        const auto found = group.parts.find(number);
        if (found == group.parts.end()) {
            joined.missing.push_back(number);
            continue;
        }
        joined.present.push_back(number);
        joined.sources.push_back(found->second.source);
        m.data += uniform ? found->second.data : payload_as_text(found->second.payload, found->second.data);
    }
    return joined;
}

}  // namespace velmora::cli
