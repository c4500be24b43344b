// Peak heap use of a stretch of code, counted at the C allocator so that
// zlib's and SQLite's allocations count too.
#pragma once
#include <cstddef>

// Starts a measurement; returns the peak number of bytes held above the level
// at the start since the last call of PeakSinceMark.
void MarkHeap();
size_t PeakSinceMark();
