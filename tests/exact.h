// SPDX-License-Identifier: Apache-2.0
// Bytes at the very end of a heap block of their exact size (text: with its NUL), so that
// AddressSanitizer and valgrind report a read past them; or an output area of `n` bytes
// `fill`. Shared by the unit tests and the fuzz targets.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

namespace vt {

struct Exact {
    std::size_t size;
    std::unique_ptr<char[]> p;
    explicit Exact(std::string_view bytes, bool nul = true) : size(bytes.size()), p(new char[size + nul]()) {
        bytes.copy(p.get(), size);
    }
    Exact(std::size_t n, unsigned char fill) : Exact(std::string(n, static_cast<char>(fill)), false) {}
    char *c() const { return p.get(); }
    unsigned char *u() const { return reinterpret_cast<unsigned char *>(p.get()); }
    unsigned char operator[](std::size_t i) const { return u()[i]; }
    bool all_from(std::size_t from, unsigned char v) const {
        return std::all_of(u() + std::min(from, size), u() + size, [=](unsigned char b) { return b == v; });
    }
};

}  // namespace vt
