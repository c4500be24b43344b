// Where a Windows program's own bytes end. A payload is appended there; an
// Authenticode signature is appended after it, and the program's security data
// directory then says where the certificate table starts.
#pragma once
#include <cstdint>

#include "distribution/byte_io.h"
#include "distribution/status.h"

struct PeLayout {
  // End of the headers, the sections' raw data and any COFF symbol table:
  // everything the system loads or the linker wrote.
  uint64_t imageEnd = 0;
  // The certificate table (file offset and size); both 0 when unsigned.
  uint64_t certificateOffset = 0;
  uint64_t certificateSize = 0;
  // Where the header fields a signing tool rewrites lie: the image's checksum
  // (4 bytes) and the security data directory entry (8 bytes).
  uint64_t checksumField = 0;
  uint64_t securityField = 0;

  bool Signed() const { return certificateSize != 0; }
  // Where appended data must end: the certificate table, or the end of the file.
  uint64_t AppendedEnd(uint64_t fileSize) const { return Signed() ? certificateOffset : fileSize; }
};

// Reads the layout; kDamaged when file is not a Windows program (PE32 or
// PE32+), its image runs past the end, or its certificate table lies outside
// the file or overlaps the image.
DistStatus ReadPeLayout(ByteSource& file, PeLayout& out);

// Whether plain (unsigned, nothing appended) is program, or program with its
// signature taken off: the same image apart from the fields signing rewrites,
// and nothing but a signing tool's padding between the image and the
// certificate table. kDamaged when not.
DistStatus CheckSameProgram(ByteSource& plain, ByteSource& program);
