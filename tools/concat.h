// Joining the parts of concatenated messages seen in one run.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "message.h"

namespace velmora::cli {

// Parts belong together when they share interface, sender, reference and part count.
// A message is handed back as soon as all its parts are in, so a long run keeps only
// unfinished messages; finish() hands back those, with the parts that are missing.
class Joiner {
public:
    std::optional<JoinedMessage> add(const DecodedMessage &part);
    std::vector<JoinedMessage> finish();

private:
    using Key = std::tuple<bool, std::string, std::uint32_t, std::uint32_t, std::uint32_t>;
    struct Group {
        std::uint64_t first_seen = 0;
        std::map<std::uint32_t, DecodedMessage> parts;  // by part number; the first copy of a part wins
    };

    static JoinedMessage join(const Group &group, std::uint32_t total);

    std::map<Key, Group> groups_;
    std::uint64_t seen_ = 0;
};

}  // namespace velmora::cli
