// SPDX-License-Identifier: Apache-2.0
// JSON text for the tool's --json output: strings escaped, objects written key by key.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmora::cli {

// A JSON string, control characters escaped; the bytes otherwise as they are (UTF-8).
std::string json_string(std::string_view text);

// [1,2,3] or ["a","b"]
std::string json_array(std::span<const std::uint32_t> numbers);
std::string json_array(std::span<const std::string> strings);

class JsonObject {
public:
    // `json` is the value's JSON text: json_string(...), std::to_string(...), "true", ...
    JsonObject &add(std::string_view key, std::string_view json);
    JsonObject &add(std::string_view key, long long number) { return add(key, std::to_string(number)); }
    std::string text() const { return out_ + "}"; }

private:
    std::string out_ = "{";
};

}  // namespace velmora::cli
