// SPDX-License-Identifier: Apache-2.0
// vt::heap_use: the test binary is linked with --wrap for malloc, calloc, realloc and free, so
// every block that the library's code allocates passes here, under the sanitizers and valgrind too.
#include "support.h"

extern "C" {
void *__real_malloc(std::size_t size);
void *__real_calloc(std::size_t count, std::size_t size);
void *__real_realloc(void *block, std::size_t size);
void __real_free(void *block);
}

namespace {

thread_local std::string *t_log = nullptr;  // while counting

void *noted(void *block, const std::string &entry) {
    if (std::string *log = t_log; log != nullptr && block != nullptr) {
        t_log = nullptr;  // the log's own growth is not counted
        *log += (log->empty() ? "" : " ") + entry;
        t_log = log;
    }
    return block;
}

}  // namespace

extern "C" {
void *__wrap_malloc(std::size_t size) { return noted(__real_malloc(size), std::to_string(size)); }
void *__wrap_calloc(std::size_t count, std::size_t size) {
    return noted(__real_calloc(count, size), std::to_string(count * size));
}
void *__wrap_realloc(void *block, std::size_t size) {
    return noted(__real_realloc(noted(block, "freed"), size), std::to_string(size));
}
void __wrap_free(void *block) { __real_free(noted(block, "freed")); }
}

std::string vt::heap_use(const std::function<void()> &call) {
    std::string log;
    t_log = &log;
    call();
    t_log = nullptr;
    return log;
}
