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

// The numbers a sink's tape (below) gives names, keys that are not a message's fields and
// objects' shapes: the WebAssembly glue's, which tells JavaScript what each stands for.
class TapeNumbers {
public:
    virtual std::int32_t name(const char *name) = 0;
    virtual std::int32_t key(const char *key) = 0;
    // The keys from `first` to `last`, each a key's number times JsonSink::kTapeKinds plus its
    // value's tape kind, in order; `hash` their FNV-1a hash. Two pointers rather than a span,
    // which WebAssembly passes through memory, and whose halves were then read as one word
    // stalling on the two stores.
    virtual std::int32_t shape(const std::int32_t *first, const std::int32_t *last, std::uint64_t hash) = 0;

protected:
    ~TapeNumbers() = default;
};

// Where a JSON value goes, piece by piece: a key before each value inside an object. It keeps
// a token for each value (with its key) and each end of an object or array, and the strings'
// octets one after another, by calls simple enough to be inlined into the walk over a
// record's fields (the npm package's hot path). A sink made with TapeNumbers keeps a tape
// instead of tokens: what the WebAssembly glue hands JavaScript, written as the values come
// (js/glue/glue.cpp tells its words).
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

    // A tape's kinds of values.
    enum TapeKind : std::int32_t {
        kTapeObject = 1, kTapeArray, kTapeClose, kTapeNumber, kTapeString, kTapeFraction, kTapeTrue, kTapeFalse,
        kTapeName, kTapeKinds
    };

    JsonSink() = default;
    explicit JsonSink(TapeNumbers &numbers) : numbers_(&numbers) { grow_tape(), clear(); }
    JsonSink(const JsonSink &) = delete;  // its pointers point into its own tokens, strings and tape
    JsonSink &operator=(const JsonSink &) = delete;

    void clear() {
        next_ = tokens_.data(), octet_ = strings_.data(), octets_or_ = 0, field_ = -1, key_ = nullptr;
        if (numbers_ != nullptr) {
            word_ = words_.data() + 3, next_key_ = keys_.data(), next_open_ = open_.data();
            next_string_ = string_words_.data(), tape_room_ = tape_values_, in_object_ = false, hash_ = kHashStart;
        }
    }

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
    // The tape of a sink made with TapeNumbers: [the strings' address, their length in
    // octets, 1 if all are ASCII, words...]. Strings with characters past ASCII are handed
    // over as UTF-16 (little-endian, as WebAssembly stores it), which JavaScript makes a
    // string of in about half the time UTF-8 takes; their ends are then in UTF-16 units.
    const std::int32_t *tape() {
        std::string_view all = strings();
        const bool ascii = (octets_or_ & 0x8080808080808080u) == 0;
        if (!ascii) {
            utf16_.resize(all.size());  // a unit an octet at most
            char16_t *out = utf16_.data();
            std::size_t start = 0;
            for (const std::uint32_t *at = string_words_.data(); at != next_string_; ++at) {
                const auto end = static_cast<std::size_t>(words_[*at]);
                out = put_utf16(all.substr(start, end - start), out);
                words_[*at] = static_cast<std::int32_t>(out - utf16_.data()), start = end;
            }
            all = {reinterpret_cast<const char *>(utf16_.data()), 2 * static_cast<std::size_t>(out - utf16_.data())};
        }
        words_[0] = static_cast<std::int32_t>(reinterpret_cast<std::uintptr_t>(all.data()));
        words_[1] = static_cast<std::int32_t>(all.size()), words_[2] = ascii;
        return words_.data();
    }

private:
    // Inlined into each kind's call (not left to the compiler, which called them), where the
    // switch over kinds folds away.
    [[gnu::always_inline]] void add(Kind kind) { add(kind, octet_ - strings_.data()); }
    [[gnu::always_inline]] void add(Kind kind, long long number, const char *name = nullptr) {
        if (numbers_ != nullptr)
            return to_tape(kind, number, name);  // reads the key only in an object, where one comes first
        if (next_ == tokens_.data() + tokens_.size())
            grow();
        *next_++ = {kind, field_, key_, name, number};
        field_ = -1, key_ = nullptr;
    }
    // A value onto the tape, as it comes rather than from tokens afterwards (a decode in
    // WebAssembly about 25 ns quicker): in an object its kind goes to the object's shape with
    // its key, elsewhere onto the tape; then its payload, a number, where its string ends (in
    // octets until tape() tells), a name's number, an object's shape (once its keys are in) or
    // nothing.
    [[gnu::always_inline]] void to_tape(Kind kind, long long number, const char *name) {
        if (tape_room_ == 0)
            grow_tape();
        --tape_room_;
        if (kind == kEnd)
            return end_on_tape();
        static constexpr std::int32_t kTapeKind[] = {kTapeObject,   kTapeArray,  kTapeClose, kTapeNumber,  // by Kind
                                                     kTapeFraction, kTapeString, kTapeName,  kTapeTrue,   kTapeFalse};
        const std::int32_t tape_kind = kTapeKind[kind];
        if (in_object_) {
            const std::int32_t key = (field_ >= 0 ? field_ : numbers_->key(key_)) * kTapeKinds + tape_kind;
            *next_key_++ = key;
            hash_ = (hash_ ^ static_cast<std::uint32_t>(key)) * 0x100000001b3u;
        } else {
            *word_++ = tape_kind;
        }
        switch (kind) {
        case kNumber:
            *word_++ = static_cast<std::int32_t>(number);
            break;
        case kString:
        case kFraction:
            *next_string_++ = static_cast<std::uint32_t>(word_ - words_.data());
            *word_++ = static_cast<std::int32_t>(number);
            break;
        case kName:
            *word_++ = numbers_->name(name);
            break;
        case kObject:
        case kArray:
            *next_open_++ = {in_object_, static_cast<std::size_t>(next_key_ - keys_.data()),
                             static_cast<std::size_t>(word_ - words_.data()), hash_};
            in_object_ = kind == kObject;
            if (in_object_)
                hash_ = kHashStart, ++word_;  // the shape, once all keys are in
            break;
        default:
            break;
        }
    }
    void end_on_tape() {
        const Open open = *--next_open_;
        if (in_object_) {
            std::int32_t *const keys = keys_.data() + open.keys;
            words_[open.shape] = numbers_->shape(keys, next_key_, hash_);
            next_key_ = keys;
        } else {
            *word_++ = kTapeClose;
        }
        in_object_ = open.in_object, hash_ = open.hash;
    }
    // Room for as many values again and 64 more: at most two words, a key and an open object
    // or array each.
    void grow_tape() {
        const std::size_t words = words_.empty() ? 3 : static_cast<std::size_t>(word_ - words_.data());
        const auto keys = static_cast<std::size_t>(next_key_ - keys_.data());
        const auto open = static_cast<std::size_t>(next_open_ - open_.data());
        const auto strings = static_cast<std::size_t>(next_string_ - string_words_.data());
        const std::size_t values = 2 * tape_values_ + 64;
        words_.resize(3 + 2 * values), keys_.resize(values), open_.resize(values), string_words_.resize(values);
        tape_room_ += values - tape_values_, tape_values_ = values;
        word_ = words_.data() + words, next_key_ = keys_.data() + keys, next_open_ = open_.data() + open;
        next_string_ = string_words_.data() + strings;
    }
    // UTF-8 as UTF-16 code units at `out` (a unit an octet at most); where they end. The
    // sink's strings are valid UTF-8; an octet that starts no whole sequence would be U+FFFD.
    static char16_t *put_utf16(std::string_view utf8, char16_t *out) {
        for (std::size_t i = 0; i < utf8.size();) {
            const auto lead = static_cast<unsigned char>(utf8[i]);
            const std::size_t length = lead < 0x80   ? 1
                                       : lead < 0xC2 ? 0
                                       : lead < 0xE0 ? 2
                                       : lead < 0xF0 ? 3
                                       : lead < 0xF5 ? 4
                                                     : 0;
            if (length == 0 || length > utf8.size() - i) {
                *out++ = 0xFFFD, ++i;
                continue;
            }
            char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
            for (std::size_t k = 1; k < length; ++k)
                cp = cp << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
            i += length;
            if (cp >= 0x10000) {
                *out++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                cp = 0xDC00 + (cp & 0x3FF);
            }
            *out++ = static_cast<char16_t>(cp);
        }
        return out;
    }
    // Copied by words: V8 makes WebAssembly's memory.copy a call, dearer than the few words
    // of most strings: past 32 octets word by word (a loop the compiler vectorizes), the last
    // word overlapping the one before; from 16 two pairs of words, from 8 two words, from 4
    // two half words that may overlap. The words are or-ed together as they pass, so that
    // tape() knows whether all strings are ASCII without reading them again.
    void put(std::string_view octets) {
        char *to = room(octets.size());
        const char *from = octets.data();
        const std::size_t size = octets.size();
        std::uint64_t all = octets_or_;
        const auto copy = [&](std::size_t at, auto word) {
            std::memcpy(&word, from + at, sizeof word), std::memcpy(to + at, &word, sizeof word);
            all |= word;
        };
        const auto copy16 = [&](std::size_t at) { copy(at, std::uint64_t()), copy(at + 8, std::uint64_t()); };
        if (size > 32) {
            for (std::size_t at = 0; at + 8 < size; at += 8)
                copy(at, std::uint64_t());
            copy(size - 8, std::uint64_t());
        } else if (size >= 16) {
            copy16(0), copy16(size - 16);
        } else if (size >= 8) {
            copy(0, std::uint64_t()), copy(size - 8, std::uint64_t());
        } else if (size >= 4) {
            copy(0, std::uint32_t()), copy(size - 4, std::uint32_t());
        } else if (size != 0) {
            to[0] = from[0], to[size / 2] = from[size / 2], to[size - 1] = from[size - 1];
            all |= static_cast<unsigned char>(from[0] | from[size / 2] | from[size - 1]);
        }
        octets_or_ = all;
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
    std::uint64_t octets_or_ = 0;    // the strings' octets or-ed by put(), eight lanes

    // The tape's, when the sink keeps one.
    static constexpr std::uint64_t kHashStart = 0xcbf29ce484222325u;
    TapeNumbers *numbers_ = nullptr;
    std::vector<std::int32_t> words_;
    std::int32_t *word_ = nullptr;  // the next of words_
    // The keys of the objects open, each object's after those of the one around it.
    std::vector<std::int32_t> keys_;
    std::int32_t *next_key_ = nullptr;
    // The objects and arrays open: whether the value around each is an object, where its
    // keys start in keys_ and its shape goes on the tape, the hash of the keys around it.
    struct Open {
        bool in_object;
        std::size_t keys, shape;
        std::uint64_t hash;
    };
    std::vector<Open> open_;
    Open *next_open_ = nullptr;
    std::vector<std::uint32_t> string_words_;  // where strings' ends are on the tape
    std::vector<char16_t> utf16_;  // the strings as tape() hands them over when not all ASCII
    std::uint32_t *next_string_ = nullptr;
    std::size_t tape_values_ = 0, tape_room_ = 0;  // values there is room for, all and left
    bool in_object_ = false;
    std::uint64_t hash_ = kHashStart;  // of the keys of the object open
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
