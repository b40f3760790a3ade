// Test inputs placed at the very end of an exactly sized heap block, so that a read
// past the terminating NUL (or past the last octet, without one) is caught by
// AddressSanitizer or valgrind.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

class HeapText {
public:
    explicit HeapText(std::string_view text, bool nul = true) : bytes_(new char[text.size() + nul]) {
        std::memcpy(bytes_.get(), text.data(), text.size());
        if (nul)
            bytes_[text.size()] = '\0';
    }
    operator const char *() const { return bytes_.get(); }
    const unsigned char *octets() const { return reinterpret_cast<const unsigned char *>(bytes_.get()); }

private:
    std::unique_ptr<char[]> bytes_;
};
