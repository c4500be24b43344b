#include "tools/cvdb/binary_stdio.h"

// POSIX streams carry bytes unchanged already.
void UseBinaryStdio() {}
