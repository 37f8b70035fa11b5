// Hot loops built several times, once per processor feature set named, and the loader picks
// the build the processor runs (x86-64 with GCC). Not under ThreadSanitizer: the loader runs
// the (instrumented) chooser before the sanitizer has started, and the program crashes. A
// benchmark defines VELMORA_ONE_BUILD to build the loops for its -march only.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__SANITIZE_THREAD__) && \
    !defined(VELMORA_ONE_BUILD)
#define CPU_CLONES(...) __attribute__((target_clones(__VA_ARGS__)))
#else
#define CPU_CLONES(...)
#endif
