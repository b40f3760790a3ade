// Test inputs placed at the very end of an exactly sized heap block, so that a read
// past the terminating NUL is caught by AddressSanitizer or valgrind.
#pragma once

#include <cstring>
#include <memory>
#include <string_view>

class HeapText {
public:
    explicit HeapText(std::string_view text) : bytes_(new char[text.size() + 1]) {
        std::memcpy(bytes_.get(), text.data(), text.size());
        bytes_[text.size()] = '\0';
    }
    const char *c_str() const { return bytes_.get(); }
    operator const char *() const { return bytes_.get(); }

private:
    std::unique_ptr<char[]> bytes_;
};
