// SPDX-License-Identifier: Apache-2.0
// Instruction set extensions beyond the x86-64 baseline, asked once at run time, for the
// few loops that have a faster form on them (functions marked target("...")).
#pragma once

#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VELMORA_X86_DISPATCH 1
#endif

namespace velmora {

// The widest vector forms a loop may use; every loop also has the form of the one before.
enum class Vectors { Portable, Sse2, Ssse3, Avx2 };

inline Vectors best_vectors() {
#if defined(VELMORA_X86_DISPATCH)
    static const Vectors best = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2")    ? Vectors::Avx2
               : __builtin_cpu_supports("ssse3") ? Vectors::Ssse3
                                                 : Vectors::Sse2;
    }();
    return best;
#elif defined(__SSE2__)
    return Vectors::Sse2;
#else
    return Vectors::Portable;
#endif
}

}  // namespace velmora
