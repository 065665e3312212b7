#ifndef TARVO_FUZZ_FUZZ_CHECK_H_
#define TARVO_FUZZ_FUZZ_CHECK_H_

#include <cstdio>
#include <cstdlib>

/// Checks an invariant of a fuzz target. A broken one prints where and aborts, which
/// libFuzzer (or the corpus replay) reports as a crash together with the input.
#define FUZZ_CHECK(condition)                                                                \
  do {                                                                                       \
    if (!(condition)) {                                                                      \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                          \
    }                                                                                        \
  } while (false)

#endif  // TARVO_FUZZ_FUZZ_CHECK_H_
