// Printing decoded messages: labelled lines for people, or one JSON object per line.
#pragma once

#include <cstdio>
#include <string>

#include "message.h"

namespace velmora::cli {

class Printer {
public:
    Printer(std::FILE *out, bool json) : out_(out), json_(json) {}

    void print(const DecodedMessage &m);
    void print(const JoinedMessage &j);

private:
    void emit(const std::string &block);

    std::FILE *out_;
    bool json_;
    bool first_ = true;
};

}  // namespace velmora::cli
