// Runs every header operation on one message and checks what each promises
// for any input. Shared by the bad-input tests and the fuzzer.
#pragma once
#include <string>

#include "sys/lines.h"

// The first broken promise in words, or the empty string.
std::string ExerciseAll(Lines message);

// A message from arbitrary bytes: lines end at LF; a CR stays in its line, so
// that line breaks inside values are exercised as well.
Lines SplitIntoLines(const std::string& bytes);
