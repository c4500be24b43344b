#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "tools/cvdb/binary_stdio.h"

// The C runtime opens both in text mode, which turns LF into CR LF on output
// and stops input at 0x1A.
void UseBinaryStdio() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}
