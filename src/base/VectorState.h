// A thread starts with a copy of its creator's vector registers. A GUI thread's libraries run
// 256-bit vector code and may leave the registers' upper halves in use; in a thread that
// inherits them, every switch between legacy SSE code (LAME) and VEX-encoded code (libm's FMA
// functions) then pays a penalty, until something clears them. It made libm's powf take 13
// times as long in the window's conversions as in the command line's.
#pragma once

// Marks the upper halves of the vector registers unused (vzeroupper), where the processor has
// them. Values the compiler keeps in the lower halves stay.
inline void ClearUpperVectorHalves() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper");
#endif
}
