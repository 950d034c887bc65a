#pragma once
// The hottest loops of a coverage run are built twice on x86-64: for
// processors with AVX2 (four doubles at a time) and for the rest (two), the
// one to run chosen once when the program loads. Neither build uses fused
// multiply-add, so both round every operation alike and give the same bits.
// GCC only: clang would want the attribute on every declaration of a member
// as well, and its builds (the fuzz targets) need no speed.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define TARNVALE_CPU_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define TARNVALE_CPU_CLONES
#endif
