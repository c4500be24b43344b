// A Windows program's headers and nothing else, as the payload tests and the
// fuzzer need one: the smallest thing the payload reader takes for a program.
#pragma once
#include <cstddef>
#include <string>

constexpr size_t kFakeProgramSize = 1024;

// A PE32 program without sections: its image is its headers.
std::string FakeProgram();
// What a signing tool does: a certificate table at the end, named in the header.
void FakeSign(std::string& bytes);
// The payload's checksum (of its directory and footer) made again after a
// change, as a forger would.
void Reseal(std::string& bytes);
