#pragma once

// Marks a hot loop to be compiled twice, for processors with AVX2 and for
// any x86-64, the program choosing one as it starts: twice as many entries
// per instruction where the processor has it, and a binary that still runs
// where it does not. Without FMA: a fused multiply-add rounds once instead
// of twice, and results would differ in their last bits between machines.
// Only GCC clones a template that is kept out of line; other compilers
// build the one portable version.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define PEDLIK_OUT_OF_LINE_CLONED gnu::noinline, gnu::target_clones("avx2", "default")
#else
#define PEDLIK_OUT_OF_LINE_CLONED gnu::noinline
#endif
