// SPDX-License-Identifier: Apache-2.0
// The README's lists of the tool's JSON keys and options against the tables that drive
// the tool, so that neither can change without the other.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "message_fields.h"
#include "options.h"

namespace {

// What `pattern`'s first group finds in the README from `start` to the next `end`.
std::set<std::string> in_readme(const std::string &start, const std::string &end, const std::string &pattern) {
    std::ifstream in(VELMORA_README);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::size_t from = text.find(start);
    const std::string part =
        from == std::string::npos ? "" : text.substr(from, text.find(end, from + start.size()) - from);
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(part.begin(), part.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

TEST(ReadmeTest, JsonKeysAreThoseOfTheFieldTable) {
    const auto keys = velmora::cli::message_json_keys();
    EXPECT_EQ(in_readme("`--json` prints", "\n\n", "`([a-z_]+)`"), std::set<std::string>(keys.begin(), keys.end()));
}

TEST(ReadmeTest, OptionsAreThoseOfTheOptionTable) {
    const auto names = velmora::cli::option_names();
    std::set<std::string> options(names.begin(), names.end());
    options.insert({"--help", "--version"});
    EXPECT_EQ(in_readme("## Tool options", "\n## ", "(--[a-z][a-z-]*)"), options);
}

}  // namespace
