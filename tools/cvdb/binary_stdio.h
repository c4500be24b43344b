// Standard input and output as raw bytes: record lines end in LF exactly as
// given, and a byte 0x1A is not the end of the input.
#pragma once

void UseBinaryStdio();
