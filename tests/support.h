// What the runners share: vector files and byte notation, records member by member,
// inputs in exactly sized heap blocks, whole-output traces and heap counts.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "velmora.h"

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
        if (t.front() == '"') {
            out += t.substr(1, t.size() - 2);
            continue;
        }
        const std::size_t star = std::min(t.find('*'), t.size());
        Bytes unit;
        for (std::size_t i = 0; i + 1 < star; i += 2)
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

// A case of tests/vectors/<file>: tab-separated fields, with key=value options after the
// fixed ones. "@name" lines define field lists that later rows name as "@name".
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
};

inline std::vector<Row> rows(const std::string &file) {
    std::vector<Row> out;
    std::map<std::string, std::vector<std::string>> lists;
    std::istringstream in(read_file("vectors/" + file));
    std::string line, group;
    bool comment = false;
    for (int n = 1; std::getline(in, line); ++n) {
        if (line.empty() || line[0] == '#') {  // the first line of a comment block names the group
            group = !line.empty() && !comment ? line : group;
            comment = !line.empty();
            continue;
        }
        comment = false;
        Row row{file + ":" + std::to_string(n) + " " + group, {}};
        std::istringstream fields(line);
        for (std::string f; std::getline(fields, f, '\t');) {
            const auto list = lists.find(f);
            if (list == lists.end())
                row.f.push_back(f);
            else
                row.f.insert(row.f.end(), list->second.begin(), list->second.end());
        }
        if (line[0] == '@')
            lists[row[0]].assign(row.f.begin() + 1, row.f.end());
        else
            out.push_back(row);
    }
    return out;
}

// Bytes at the very end of a heap block of their exact size (NUL included, if asked),
// so that AddressSanitizer and valgrind catch a read past them.
class Exact {
public:
    explicit Exact(const Bytes &b, bool nul = true) : p_(new char[b.size() + nul]) {
        std::memcpy(p_.get(), b.data(), b.size());
        if (nul)
            p_[b.size()] = '\0';
    }
    const char *c() const { return p_.get(); }
    const unsigned char *u() const { return reinterpret_cast<const unsigned char *>(p_.get()); }

private:
    std::unique_ptr<char[]> p_;
};

// Records are ~4 KB: on the heap, every byte `fill`.
inline std::unique_ptr<sms_message> record(int fill = 0) {
    auto r = std::make_unique<sms_message>();
    std::memset(r.get(), fill, sizeof *r);
    return r;
}

struct Member {
    const char *name;
    std::size_t offset, size;
};
#define VT_MEMBER(m) Member{#m, offsetof(sms_message, m), sizeof(sms_message::m)}
inline const Member kMembers[] = {
    VT_MEMBER(reserved),  VT_MEMBER(text),          VT_MEMBER(text_len),       VT_MEMBER(data_coding),
    VT_MEMBER(msg_id),    VT_MEMBER(priority),      VT_MEMBER(total_parts),    VT_MEMBER(part_num),
    VT_MEMBER(telnum),    VT_MEMBER(telnum_type),   VT_MEMBER(telnum_len),     VT_MEMBER(dst_telnum),
    VT_MEMBER(dst_telnum_type), VT_MEMBER(dst_telnum_len), VT_MEMBER(teleserv_id), VT_MEMBER(date_time),
    VT_MEMBER(date_time_raw), VT_MEMBER(timezone),  VT_MEMBER(pdu_count),      VT_MEMBER(pdus)};
#undef VT_MEMBER

// "member=value": numbers in C notation, text in byte notation, other arrays as written;
// "fill=V" sets every byte. Other keys (options) are left alone.
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
            std::memcpy(at, b.data(), b.size());
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

// A record for the encoders: text and the numbers a row gives (dst=, callback=, dst_type=).
inline std::unique_ptr<sms_message> addressed(const Row &row, const Bytes &text) {
    auto sms = record();
    const std::string dst = row.option("dst").value_or("12345"), callback = row.option("callback").value_or("678");
    set(*sms, "dst_telnum=" + dst);
    set(*sms, "telnum=" + callback);
    std::memcpy(sms->text, text.data(), text.size());
    sms->text_len = static_cast<std::uint32_t>(text.size());
    sms->dst_telnum_len = static_cast<std::uint32_t>(dst.size());
    sms->telnum_len = static_cast<std::uint32_t>(callback.size());
    sms->dst_telnum_type = static_cast<std::uint32_t>(std::stoul(row.option("dst_type").value_or("0x81"), nullptr, 0));
    sms->telnum_type = 0x81;
    return sms;
}

// Standard output of `call`, to compare with a golden file as one block.
inline std::string printed(const std::function<void()> &call) {
    testing::internal::CaptureStdout();
    call();
    return testing::internal::GetCapturedStdout();
}

// The whole output against tests/golden/<name> (empty name: no output at all).
inline void expect_golden(const std::string &printed, const std::string &name) {
    EXPECT_EQ(printed, name.empty() ? "" : read_file("golden/" + name)) << name;
}

// Heap blocks allocated by the calling thread during `call` (heap_test.cpp counts them
// through malloc wrappers); not counted under the sanitizers and valgrind.
struct HeapUse {
    bool counted = false;
    std::vector<std::size_t> sizes;
    std::size_t releases = 0;
};
HeapUse heap_use(const std::function<void()> &call);

// When counted: the sizes in order, each block freed again.
inline void expect_heap(const HeapUse &use, const std::string &sizes) {
    if (!use.counted)
        return;
    std::vector<std::size_t> want;
    std::istringstream in(sizes);
    for (std::size_t s; in >> s;)
        want.push_back(s);
    EXPECT_EQ(use.sizes, want) << "heap blocks";
    EXPECT_EQ(use.releases, use.sizes.size()) << "blocks freed";
}

}  // namespace vt
