// SPDX-License-Identifier: Apache-2.0
// Reading input: lines of standard input or a file, or one message text whole.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

// Lines of any length, CRLF or LF, in a fixed amount of memory: a line longer than
// `max_length` is reported as overlong and only its first max_length bytes are kept.
class LineReader {
public:
    LineReader(std::FILE *in, std::size_t max_length) : in_(in), max_length_(max_length), buffer_(1 << 16) {}

    // The next line without its line break; false at the end of the input.
    bool next(std::string &line, bool &overlong);
    std::size_t number() const { return number_; }

private:
    bool fill();

    std::FILE *in_;
    std::size_t max_length_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t number_ = 0;
    bool eof_ = false;
};

// Blanks and tabs removed from both ends.
std::string_view trim(std::string_view line);

// All of `in`, at most `max_length` bytes; nullopt when there is more.
std::optional<std::string> read_all(std::FILE *in, std::size_t max_length);

}  // namespace velmora::cli
