// Trace lines: "DEBUG: <function>(): LINE <n>, ..." on stdout, only when debug is set.
#pragma once

#include <cstdio>

#define VELMORA_TRACE(debug, function, line, format, ...)                                      \
    do {                                                                                     \
        if (debug)                                                                           \
            std::printf("DEBUG: %s(): LINE %d, " format, function, line __VA_OPT__(, ) __VA_ARGS__); \
    } while (0)
