#pragma once
// A broken invariant aborts the run so the fuzzer keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

#define VYX_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
