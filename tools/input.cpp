// SPDX-License-Identifier: Apache-2.0
#include "input.h"

#include <algorithm>
#include <cstring>


namespace velmora::cli {

bool LineReader::fill() {
    if (eof_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, in_);
    if (got == 0)
        eof_ = true;
    end_ += got;
    return got > 0;
}

bool LineReader::next(std::string &line, bool &overlong) {
    line.clear();
    overlong = false;
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (!any)
                return false;
            break;
        }
        any = true;
        const char *start = buffer_.data() + begin_;
        const auto *newline = static_cast<const char *>(std::memchr(start, '\n', end_ - begin_));
        const std::size_t chunk = newline ? static_cast<std::size_t>(newline - start) : end_ - begin_;
        const std::size_t room = max_length_ + 1 - std::min(line.size(), max_length_ + 1);
        line.append(start, std::min(chunk, room));  // one byte beyond the limit shows an overlong line
        begin_ += chunk;
        if (newline) {
            ++begin_;
            break;
        }
    }
    ++number_;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() > max_length_) {
        overlong = true;
        line.resize(max_length_);
    }
    return true;
}

std::string_view trim(std::string_view line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

std::optional<std::string> read_all(std::FILE *in, std::size_t max_length) {
    std::string text;
    char chunk[1 << 14];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) {
        if (text.size() + got > max_length)
            return std::nullopt;
        text.append(chunk, got);
    }
    return text;
}

}  // namespace velmora::cli
