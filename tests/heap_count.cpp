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

thread_local std::string *t_log = nullptr;  // while counting

void note(void *block, const std::string &entry) {
    if (std::string *log = t_log; log != nullptr && block != nullptr) {
        t_log = nullptr;  // the log's own growth is not counted
        *log += (log->empty() ? "" : " ") + entry;
        t_log = log;
    }
}

void *allocated(void *block, std::size_t size) { return note(block, std::to_string(size)), block; }
void *released(void *block) { return note(block, "freed"), block; }

}  // namespace

extern "C" {
void *__wrap_malloc(std::size_t size) { return allocated(__real_malloc(size), size); }
void *__wrap_calloc(std::size_t count, std::size_t size) { return allocated(__real_calloc(count, size), count * size); }
void *__wrap_realloc(void *block, std::size_t size) { return allocated(__real_realloc(released(block), size), size); }
void __wrap_free(void *block) { __real_free(released(block)); }
}

std::string vt::heap_use(const std::function<void()> &call) {
    std::string log;
    log.reserve(256);
    t_log = &log;
    call();
    t_log = nullptr;
    return log;
}
