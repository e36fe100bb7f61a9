#pragma once
// A rule a fuzz target checks on what the code made of its input: when it is
// broken, the target says which and aborts, so that libFuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace fuzz
