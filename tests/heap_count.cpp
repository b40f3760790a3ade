// vt::heap_use, behind the heap figures: the test binary is linked with --wrap for malloc,
// calloc, realloc and free, so every block that the library's code (and the tests' own)
// allocates passes through these wrappers, under the sanitizers and valgrind too.
#include "support.h"

extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
void *__real_realloc(void *block, std::size_t size);
void __real_free(void *block);
}

namespace {

thread_local vt::HeapUse *t_use = nullptr;

void *noted(void *block, std::size_t size) {
    if (vt::HeapUse *use = t_use; use != nullptr && block != nullptr) {
        t_use = nullptr;  // the vector's own growth is not counted
        use->sizes.push_back(size);
        t_use = use;
    }
    return block;
}

void *released(void *block) {
    if (t_use != nullptr && block != nullptr)
        ++t_use->releases;
    return block;
}

}  // namespace

extern "C" {
void *__wrap_malloc(std::size_t size) { return noted(__real_malloc(size), size); }
void *__wrap_calloc(std::size_t count, std::size_t size) { return noted(__real_calloc(count, size), count * size); }
void *__wrap_realloc(void *block, std::size_t size) { return noted(__real_realloc(released(block), size), size); }
void __wrap_free(void *block) { __real_free(released(block)); }
}

vt::HeapUse vt::heap_use(const std::function<void()> &call) {
    HeapUse use;
    use.sizes.reserve(64);
    t_use = &use;
    call();
    t_use = nullptr;
    return use;
}
