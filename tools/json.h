// SPDX-License-Identifier: Apache-2.0
// JSON for the tool's --json output: strings escaped, values written one by one into a sink
// that keeps them as tokens, made into JSON text here and, in the WebAssembly glue, into a
// tape JavaScript reads.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text.h"

namespace velmora::cli {

// A JSON string, control characters escaped; the bytes otherwise as they are (UTF-8).
std::string json_string(std::string_view text);

// Where a JSON value goes, piece by piece: a key before each value inside an object. It keeps
// a token for each value (with its key) and each end of an object or array, and the strings'
// octets one after another, by calls simple enough to be inlined into the walk over a
// record's fields (the npm package's hot path).
class JsonSink {
public:
    enum Kind : std::uint8_t { kObject, kArray, kEnd, kNumber, kFraction, kString, kName, kTrue, kFalse };
    struct Token {
        Kind kind;
        std::int32_t field;  // the key's place among message_json_keys(); -1 for `key` or no key
        const char *key;     // in an object; a string that lives as long as the program
        const char *name;    // of a name, as long-lived
        long long number;    // of a number; of a string or fraction, where its octets end in strings()
    };

    JsonSink() = default;
    JsonSink(const JsonSink &) = delete;  // next_ and octet_ point into its own tokens and strings
    JsonSink &operator=(const JsonSink &) = delete;

    void clear() { next_ = tokens_.data(), octet_ = strings_.data(), field_ = -1, key_ = nullptr; }

    void open(char bracket) { add(bracket == '{' ? kObject : kArray); }
    void close(char) { add(kEnd); }
    void key(std::string_view key) { field_ = -1, key_ = key.data(); }  // a string literal
    // The key of a message's field, `number` its place among message_json_keys().
    void field(std::size_t number, std::string_view key) {
        field_ = static_cast<std::int32_t>(number), key_ = key.data();
    }
    void number(long long n) { add(kNumber, n); }
    void fraction(std::string_view digits) { put(digits), add(kFraction); }  // a number as formatted: "1.5"
    void string(std::string_view utf8) { put(utf8), add(kString); }
    // A string of the octets in hex digits.
    void hex(std::string_view octets) { write_hex(room(2 * octets.size()), octets), add(kString); }
    // A name from a fixed table (type, alphabet, status...): a string that lives as long as the program.
    void name(const char *name) { add(kName, 0, name); }
    void boolean(bool value) { add(value ? kTrue : kFalse); }

    std::span<const Token> tokens() const { return {tokens_.data(), next_}; }
    std::string_view strings() const { return {strings_.data(), static_cast<std::size_t>(octet_ - strings_.data())}; }

private:
    void add(Kind kind) { add(kind, octet_ - strings_.data()); }
    void add(Kind kind, long long number, const char *name = nullptr) {
        if (next_ == tokens_.data() + tokens_.size())
            grow();
        *next_++ = {kind, field_, key_, name, number};
        field_ = -1, key_ = nullptr;
    }
    // Copied by words: V8 makes WebAssembly's memory.copy a call, dearer than the few words
    // of most strings. Past 8 octets the last word overlaps the one before.
    void put(std::string_view octets) {
        char *to = room(octets.size());
        const char *from = octets.data();
        const std::size_t size = octets.size();
        const auto copy = [&](std::size_t at, auto word) {
            std::memcpy(&word, from + at, sizeof word), std::memcpy(to + at, &word, sizeof word);
        };
        if (size >= 8) {
            for (std::size_t at = 0; at + 8 < size; at += 8)
                copy(at, std::uint64_t());
            copy(size - 8, std::uint64_t());
        } else if (size >= 4) {
            copy(0, std::uint32_t()), copy(size - 4, std::uint32_t());
        } else if (size != 0) {
            to[0] = from[0], to[size / 2] = from[size / 2], to[size - 1] = from[size - 1];
        }
    }
    // The next `size` octets of strings, to be written.
    char *room(std::size_t size) {
        if (size > static_cast<std::size_t>(strings_.data() + strings_.size() - octet_)) {
            const std::size_t used = static_cast<std::size_t>(octet_ - strings_.data());
            strings_.resize(2 * (used + size) + 256);
            octet_ = strings_.data() + used;
        }
        return std::exchange(octet_, octet_ + size);
    }
    void grow() {
        const std::size_t used = static_cast<std::size_t>(next_ - tokens_.data());
        tokens_.resize(2 * used + 64);
        next_ = tokens_.data() + used;
    }

    std::vector<Token> tokens_;
    Token *next_ = tokens_.data();
    std::int32_t field_ = -1;
    const char *key_ = nullptr;
    std::vector<char> strings_;
    char *octet_ = strings_.data();  // the next of strings_
};

// The sink's value as JSON text.
std::string json_text(const JsonSink &value);

// A JSON object of values already in JSON.
class JsonObject {
public:
    // `json` is the value's JSON text: json_string(...), std::to_string(...), "true", ...
    JsonObject &add(std::string_view key, std::string_view json) {
        text_ += text_.size() > 1 ? "," : "", text_ += json_string(key), text_ += ':', text_ += json;
        return *this;
    }
    JsonObject &add(std::string_view key, long long number) { return add(key, std::to_string(number)); }
    std::string text() const { return text_ + "}"; }

private:
    std::string text_ = "{";
};

}  // namespace velmora::cli
