// The free extents of one database file, sorted by position, with the two
// parallel runs they are stored as in the free-list area at DataEnd.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class TFreeList {
 public:
  int Count() const { return static_cast<int>(Positions.size()); }
  int32_t Position(int i) const { return Positions[i]; }
  int32_t Size(int i) const { return Sizes[i]; }

  // Adds an extent in position order, behind any extent of the same position.
  bool Insert(int32_t start, int32_t size);
  // The start of n bytes cut from the front of the first extent that holds
  // them, or -1 with nothing changed.
  int32_t Take(int32_t n);
  // Joins extent i with extent i + 1 when they touch.
  void MergeWithNext(int i);
  // Grows the first extent that touches [start, start + size).
  bool Extend(int32_t start, int32_t size);
  // Extend, or else Insert.
  bool Add(int32_t start, int32_t size);
  // Whether [start, start + size) shares a byte with an extent.
  bool Overlaps(int64_t start, int64_t size) const;

  // The lists from the two runs behind the count n of a stored area.
  void Assign(int32_t n, const uint8_t* runs);
  // The area as stored: count, every position, every size.
  std::string Area() const;
  // Empty when every extent lies in [blockStart, dataEnd), has a positive size
  // and ends before the next begins; otherwise the first fault found.
  std::string Fault(int32_t blockStart, int32_t dataEnd) const;
  void Clear();

  std::vector<int32_t> Positions;  // block starts, ascending
  std::vector<int32_t> Sizes;
};
