// Makes a one-file setup.exe: the program's bytes, then a payload carrying the
// given files (payload_format.h). Used by the build's packing tool.
#pragma once
#include <string>
#include <vector>

#include "distribution/byte_io.h"
#include "distribution/payload_reader.h"
#include "distribution/status.h"

struct PackFile {
  std::string name;
  ByteSource* data;
};

// Writes program, then the files packed with zlib, the directory and the
// footer, to out. program must be a plain Windows program: unsigned, nothing
// appended (a signature would no longer cover it). Refuses names the reader
// would refuse. written, when given, receives the entries as the reader will
// find them.
DistStatus WritePayload(ByteSource& program, const std::vector<PackFile>& files, ByteSink& out,
                        std::vector<PayloadEntry>* written = nullptr);
