// Feeds a message made of the input's lines to every header operation and
// stops on the first promise an operation breaks (sanitizers catch the rest).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "msg/clock.h"
#include "tests/msg/exercise.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A fixed time: the summaries' length must not depend on the hour.
  static const bool clockSet = (SetClock([] { return LocalTime{2024, 1, 2, 3, 4, 5}; }), true);
  (void)clockSet;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string fault = ExerciseAll(SplitIntoLines(bytes));
  if (!fault.empty()) {
    std::fprintf(stderr, "broken promise: %s\n", fault.c_str());
    std::abort();
  }
  return 0;
}
