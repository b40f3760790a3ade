// SPDX-License-Identifier: Apache-2.0
// The README's lists of the tool's JSON keys and options against the tables that drive
// the tool, so that neither can change without the other.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "message_fields.h"
#include "options.h"

namespace {

std::string readme() {
    std::ifstream in(VELMORA_README);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The README from `start` to the next `end`; "" when `start` is missing.
std::string part_of_readme(const std::string &start, const std::string &end) {
    const std::string text = readme();
    const auto from = text.find(start);
    return from == std::string::npos ? "" : text.substr(from, text.find(end, from + start.size()) - from);
}

std::set<std::string> matches(const std::string &text, const std::string &pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

// What one list names and the other does not; "" when they agree.
std::string mismatch(const std::set<std::string> &readme, const std::set<std::string> &table) {
    std::string out;
    for (const auto &name : readme)
        out += table.contains(name) ? "" : " README only: " + name;
    for (const auto &name : table)
        out += readme.contains(name) ? "" : " table only: " + name;
    return out;
}

TEST(ReadmeTest, JsonKeysAreThoseOfTheFieldTable) {
    const auto keys = velmora::cli::message_json_keys();
    EXPECT_EQ(mismatch(matches(part_of_readme("`--json` prints", "\n\n"), "`([a-z_]+)`"),
                       std::set<std::string>(keys.begin(), keys.end())),
              "");
}

TEST(ReadmeTest, OptionsAreThoseOfTheOptionTable) {
    const auto names = velmora::cli::option_names();
    std::set<std::string> options(names.begin(), names.end());
    options.insert({"--help", "--version"});
    EXPECT_EQ(mismatch(matches(part_of_readme("## Tool options", "\n## "), "(--[a-z][a-z-]*)"), options), "");
}

}  // namespace
