// vt::heap_use, behind the heap figures of the runners: malloc, calloc, realloc and free
// replaced by counting wrappers around glibc's own allocator, so that every block the
// library allocates, directly or through operator new, is seen. The sanitizers bring
// their own allocator (nothing is replaced then) and valgrind bypasses the wrappers:
// nothing is counted there.
#include <cstdlib>

#include "support.h"

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELMORA_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define VELMORA_SANITIZED_HEAP 1
#endif
#endif

namespace {

thread_local vt::HeapUse *t_use = nullptr;

[[maybe_unused]] void *noted(void *block, std::size_t size) {
    if (vt::HeapUse *use = t_use; use != nullptr && block != nullptr) {
        t_use = nullptr;  // the vector's own growth is not the library's
        use->sizes.push_back(size);
        t_use = use;
    }
    return block;
}

[[maybe_unused]] void *released(void *block) {
    if (t_use != nullptr && block != nullptr)
        ++t_use->releases;
    return block;
}

}  // namespace

#ifndef VELMORA_SANITIZED_HEAP
extern "C" {
void *__libc_malloc(std::size_t size) noexcept;
void *__libc_calloc(std::size_t count, std::size_t size) noexcept;
void *__libc_realloc(void *block, std::size_t size) noexcept;
void __libc_free(void *block) noexcept;

void *malloc(std::size_t size) noexcept { return noted(__libc_malloc(size), size); }
void *calloc(std::size_t count, std::size_t size) noexcept { return noted(__libc_calloc(count, size), count * size); }
void *realloc(void *block, std::size_t size) noexcept { return noted(__libc_realloc(released(block), size), size); }
void free(void *block) noexcept { __libc_free(released(block)); }
}
#endif

vt::HeapUse vt::heap_use(const std::function<void()> &call) {
    HeapUse probe, use;
    probe.sizes.reserve(4);
    use.sizes.reserve(64);
    t_use = &probe;  // counted only where the wrappers are in place
    void *volatile block = std::malloc(1);
    std::free(block);
    t_use = &use;
    call();
    t_use = nullptr;
    use.counted = probe.sizes.size() == 1 && !RUNNING_ON_VALGRIND;
    return use;
}
