#include "input.h"

#include <algorithm>
#include <cstring>

#include "velmora/sms.h"

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

namespace {

bool starts_with_any_case(std::string_view line, std::string_view prefix) {
    if (line.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if ((line[i] | 0x20) != (prefix[i] | 0x20))
            return false;
    return true;
}

// The n-th comma-separated field after the colon, blanks trimmed.
std::string_view field(std::string_view line, std::size_t n) {
    line.remove_prefix(line.find(':') + 1);
    for (; n > 0; --n) {
        const auto comma = line.find(',');
        if (comma == std::string_view::npos)
            return {};
        line.remove_prefix(comma + 1);
    }
    return trim(line.substr(0, line.find(',')));
}

// <stat> of +CMGL/+CMGR: 0, 1 or "REC ..." received; 2, 3 or "STO ..." stored to send.
unsigned direction_of_stat(std::string_view stat) {
    if (stat == "0" || stat == "1" || starts_with_any_case(stat, "\"REC"))
        return VELMORA_FROM_NETWORK;
    if (stat == "2" || stat == "3" || starts_with_any_case(stat, "\"STO"))
        return VELMORA_TO_NETWORK;
    return 0;
}

}  // namespace

std::optional<unsigned> pdu_direction(std::string_view line) {
    if (starts_with_any_case(line, "+CMGL:"))
        return direction_of_stat(field(line, 1));
    if (starts_with_any_case(line, "+CMGR:"))
        return direction_of_stat(field(line, 0));
    if (starts_with_any_case(line, "+CMT:") || starts_with_any_case(line, "+CDS:"))
        return VELMORA_FROM_NETWORK;
    return std::nullopt;
}

bool is_modem_chatter(std::string_view line) {
    auto starts = [&](std::string_view prefix) { return starts_with_any_case(line, prefix); };
    return starts("+") || starts(">") || starts("AT") || line == "OK" || line == "ERROR" ||
           line == "RING" || line == "NO CARRIER";
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
