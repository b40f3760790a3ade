// SPDX-License-Identifier: Apache-2.0
// JSON for the tool's --json output: strings escaped, values written one by one into a sink,
// which is JSON text here and, in the WebAssembly glue, a tape JavaScript reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::cli {

// A JSON string, control characters escaped; the bytes otherwise as they are (UTF-8).
std::string json_string(std::string_view text);

// Where a JSON value goes, piece by piece: a key before each value inside an object.
class JsonSink {
public:
    virtual void open(char bracket) = 0;  // '{' or '['
    virtual void close(char bracket) = 0;
    virtual void key(std::string_view key) = 0;  // a string literal: sinks may keep it by address
    // The key of a message's field, `number` its place among message_json_keys().
    virtual void field(std::size_t number, std::string_view key) = 0;
    virtual void number(long long n) = 0;
    virtual void fraction(std::string_view digits) = 0;  // a number as formatted: "1.5"
    virtual void string(std::string_view utf8) = 0;
    // A name from a fixed table (type, alphabet, status...): a string that lives as long as the
    // program, which sinks may keep by address as they keep keys.
    virtual void name(const char *name) = 0;
    virtual void boolean(bool value) = 0;

protected:
    ~JsonSink() = default;
};

// JSON text.
class JsonText final : public JsonSink {
public:
    void open(char bracket) override { value(std::string_view(&bracket, 1)); }
    void close(char bracket) override { out_ += bracket; }
    void key(std::string_view key) override { value(json_string(key)), out_ += ':'; }
    void field(std::size_t, std::string_view key) override { JsonText::key(key); }
    void number(long long n) override { value(std::to_string(n)); }
    void fraction(std::string_view digits) override { value(digits); }
    void string(std::string_view utf8) override { value(json_string(utf8)); }
    void name(const char *name) override { string(name); }
    void boolean(bool v) override { value(v ? "true" : "false"); }
    // A value already in JSON.
    void raw(std::string_view json) { value(json); }
    const std::string &text() const { return out_; }

private:
    // A comma before each value or key that is not the first of its object or array.
    void value(std::string_view json) {
        if (!out_.empty() && out_.back() != '{' && out_.back() != '[' && out_.back() != ':')
            out_ += ',';
        out_ += json;
    }
    std::string out_;
};

class JsonObject {
public:
    JsonObject() { text_.open('{'); }
    // `json` is the value's JSON text: json_string(...), std::to_string(...), "true", ...
    JsonObject &add(std::string_view key, std::string_view json) {
        text_.key(key), text_.raw(json);
        return *this;
    }
    JsonObject &add(std::string_view key, long long number) { return add(key, std::to_string(number)); }
    std::string text() const { return text_.text() + "}"; }

private:
    JsonText text_;
};

}  // namespace velmora::cli
