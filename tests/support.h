// SPDX-License-Identifier: Apache-2.0
// What the runners share: vector files and byte notation, records member by member, inputs in exactly sized heap
// blocks (exact.h), traces and whole outputs against golden files, output buffers with guard bytes, heap counts,
// septets packed bit by bit.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "exact.h"
#include "velmora.h"
#include "velmora/sms.h"

namespace vt {

using Bytes = std::string;

inline std::string read_file(const std::string &name) {
    std::ifstream in(std::string(VELMORA_TEST_DIR) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << name;
    return {std::istreambuf_iterator<char>(in), {}};
}

// Space-separated tokens: hex digits ("E8329B"), a hex unit repeated ("61*153"), "text".
inline Bytes bytes(const std::string &notation) {
    Bytes out;
    std::istringstream in(notation);
    for (std::string t; in >> t;) {
        const std::size_t star = t[0] == '"' ? t.size() : std::min(t.find('*'), t.size());
        Bytes unit = t[0] == '"' ? t.substr(1, t.size() - 2) : "";
        for (std::size_t i = 0; t[0] != '"' && i + 1 < star; i += 2)
            unit += static_cast<char>(std::stoi(t.substr(i, 2), nullptr, 16));
        for (long n = star < t.size() ? std::stol(t.substr(star + 1)) : 1; n > 0; --n)
            out += unit;
    }
    return out;
}

inline std::string hex(const Bytes &b) {
    std::string out;
    for (unsigned char c : b)
        out += {"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
    return out;
}

inline std::string hex(const void *p, std::size_t n) { return hex(Bytes(static_cast<const char *>(p), n)); }

// The whole output against tests/golden/NAME; VELMORA_UPDATE_GOLDEN=1 in the environment
// rewrites the golden file instead.
inline void expect_golden(const std::string &name, const std::string &output) {
    const char *update = std::getenv("VELMORA_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1")
        std::ofstream(std::string(VELMORA_TEST_DIR) + "/golden/" + name, std::ios::binary) << output;
    else
        EXPECT_EQ(read_file("golden/" + name), output) << "tests/golden/" << name;
}

// Code k takes stream bits fill + 7k .. fill + 7k + 6, octet j holds stream bits 8j .. 8j + 7.
inline Bytes pack_septets(const Bytes &codes, unsigned fill) {
    Bytes out((7 * codes.size() + fill + 7) / 8, '\0');
    for (std::size_t bit = 0; bit < 7 * codes.size(); ++bit)
        if (static_cast<unsigned char>(codes[bit / 7]) >> bit % 7 & 1)
            out[(fill + bit) / 8] = static_cast<char>(out[(fill + bit) / 8] | 1 << (fill + bit) % 8);
    return out;
}

// An output area of `capacity` bytes and guard bytes behind it, all kFill.
struct Guarded {
    static constexpr char kFill = '\xEE';
    static constexpr std::size_t kGuard = 16;
    Bytes bytes;
    explicit Guarded(std::size_t capacity) : bytes(capacity + kGuard, kFill) {}
    char *c() { return bytes.data(); }
    bool guard_kept() const { return bytes.substr(bytes.size() - kGuard) == Bytes(kGuard, kFill); }
};

// A case of tests/vectors/<file>: tab-separated fields, key=value options after the fixed ones.
struct Row {
    std::string where;
    std::vector<std::string> f;
    const std::string &operator[](std::size_t i) const { return f.at(i); }
    long long num(std::size_t i) const { return std::stoll(f.at(i), nullptr, 0); }
    std::optional<std::string> option(const std::string &key) const {
        for (const std::string &field : f)
            if (field.rfind(key + "=", 0) == 0)
                return field.substr(key.size() + 1);
        return std::nullopt;
    }
    std::uint32_t number(const std::string &key, const std::string &otherwise) const {
        return static_cast<std::uint32_t>(std::stoul(option(key).value_or(otherwise), nullptr, 0));
    }
};

// The first line of a comment block names the group below it; "@name" lines define field
// lists that later rows name as "@name". `traced` false leaves out the rows with a trace.
inline std::vector<Row> rows(const std::string &file, bool traced = true) {
    std::vector<Row> out;
    std::map<std::string, std::vector<std::string>> lists;
    std::istringstream in(read_file("vectors/" + file));
    std::string line, group;
    for (int n = 1, comment = 0; std::getline(in, line); ++n) {
        group = line[0] == '#' && !comment ? line : group;
        if ((comment = line[0] == '#') || line.empty())
            continue;
        Row row{file + ":" + std::to_string(n) + " " + group, {}};
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, '\t');) {
            const std::vector<std::string> list = lists.count(f) ? lists[f] : std::vector{f};
            row.f.insert(row.f.end(), list.begin(), list.end());
        }
        if (line[0] == '@')
            lists[row[0]].assign(row.f.begin() + 1, row.f.end());
        else if (traced || !row.option("trace"))
            out.push_back(row);
    }
    return out;
}

// Records are ~4 KB: on the heap, every byte `fill`.
inline std::unique_ptr<sms_message> record(int fill = 0) {
    auto r = std::make_unique<sms_message>();
    std::memset(r.get(), fill, sizeof *r);
    return r;
}

// A velmora_message on the heap, every byte `fill` before velmora_message_init.
inline std::unique_ptr<velmora_message> message(int fill = 0) {
    auto m = std::make_unique<velmora_message>();
    std::memset(m.get(), fill, sizeof *m);
    velmora_message_init(m.get());
    return m;
}

struct Member { const char *name; std::size_t offset, size; };
#define VT_M(m) Member{#m, offsetof(sms_message, m), sizeof(sms_message::m)}
inline const Member kMembers[] = {
    VT_M(reserved), VT_M(text), VT_M(text_len), VT_M(data_coding), VT_M(msg_id), VT_M(priority), VT_M(total_parts),
    VT_M(part_num), VT_M(telnum), VT_M(telnum_type), VT_M(telnum_len), VT_M(dst_telnum), VT_M(dst_telnum_type),
    VT_M(dst_telnum_len), VT_M(teleserv_id), VT_M(date_time), VT_M(date_time_raw), VT_M(timezone), VT_M(pdu_count),
    VT_M(pdus)};

// "member=value": numbers in C notation, text in byte notation, other arrays as written;
// "fill=V" sets every byte. Other keys are left alone.
inline void set(sms_message &r, const std::string &field) {
    const std::size_t eq = field.find('=');
    const std::string key = field.substr(0, eq), value = field.substr(eq + 1);
    if (key == "fill")
        std::memset(&r, std::stoi(value, nullptr, 0), sizeof r);
    for (const Member &m : kMembers)
        if (key == m.name) {
            const auto number = static_cast<std::uint32_t>(m.size == 4 ? std::stoul(value, nullptr, 0) : 0);
            const Bytes b = m.size == 4 ? Bytes(reinterpret_cast<const char *>(&number), 4)
                            : key == "text" ? bytes(value) : value;
            char *at = reinterpret_cast<char *>(&r) + m.offset;
            std::memset(at, 0, m.size);
            b.copy(at, b.size());
        }
}

// Member by member: padding is not part of a record's state.
inline void expect_same(const sms_message &want, const sms_message &got) {
    for (const Member &m : kMembers) {
        const Bytes w(reinterpret_cast<const char *>(&want) + m.offset, m.size);
        const Bytes g(reinterpret_cast<const char *>(&got) + m.offset, m.size);
        EXPECT_TRUE(w == g) << m.name << ": want " << hex(w.substr(0, 48)) << " got " << hex(g.substr(0, 48));
    }
}

// A record to 12345 with callback 678 (both of type 0x81), then a row's members from field
// `from` on, then the text given.
inline std::unique_ptr<sms_message> addressed(const Row &row, std::size_t from, const Bytes &text) {
    auto sms = record();
    for (const char *field : {"dst_telnum=12345", "dst_telnum_len=5", "dst_telnum_type=0x81", "telnum=678",
                              "telnum_len=3", "telnum_type=0x81"})
        set(*sms, field);
    for (std::size_t i = from; i < row.f.size(); ++i)
        set(*sms, row[i]);
    text.copy(sms->text, text.size());
    sms->text_len = static_cast<std::uint32_t>(text.size());
    return sms;
}

// What the calling thread allocates and frees during `call`, counted by vectors_test.cpp's
// wrappers: "SIZE" for each block allocated, "freed" for each released, space-separated.
std::string heap_use(const std::function<void()> &call);

// Runs a row's call. With trace=FILE: traced, its output (after `edit`) against
// tests/golden/FILE as one block, an empty name meaning none. Without: what it allocates
// and frees must be as heap= says (nothing without).
inline void observe(const Row &row, const std::function<void()> &call,
                    const std::function<void(std::string &)> &edit = {}) {
    if (const auto trace = row.option("trace")) {
        testing::internal::CaptureStdout();
        call();
        std::string printed = testing::internal::GetCapturedStdout();
        if (edit)
            edit(printed);
        EXPECT_EQ(printed, trace->empty() ? "" : read_file("golden/" + *trace)) << *trace;
    } else {
        EXPECT_EQ(heap_use(call), row.option("heap").value_or("")) << "heap blocks";
    }
}

}  // namespace vt
