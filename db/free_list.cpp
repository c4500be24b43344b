#include "db/free_list.h"

#include "db/format.h"

using dbformat::GetInt32;
using dbformat::PutInt32;

bool TFreeList::Insert(int32_t start, int32_t size) {
  size_t i = 0;
  while (i < Positions.size() && Positions[i] <= start) ++i;
  Positions.insert(Positions.begin() + i, start);
  Sizes.insert(Sizes.begin() + i, size);
  return true;
}

int32_t TFreeList::Take(int32_t n) {
  for (size_t i = 0; i < Positions.size(); ++i) {
    if (Sizes[i] < n) continue;
    int32_t start = Positions[i];
    Sizes[i] -= n;
    if (Sizes[i] == 0) {
      Positions.erase(Positions.begin() + i);
      Sizes.erase(Sizes.begin() + i);
    } else {
      Positions[i] += n;
    }
    return start;
  }
  return -1;
}

void TFreeList::MergeWithNext(int i) {
  if (i < 0 || i + 1 >= Count()) return;
  if (static_cast<int64_t>(Positions[i]) + Sizes[i] != Positions[i + 1]) return;
  Sizes[i] += Sizes[i + 1];
  Positions.erase(Positions.begin() + i + 1);
  Sizes.erase(Sizes.begin() + i + 1);
}

bool TFreeList::Extend(int32_t start, int32_t size) {
  for (int i = 0; i < Count(); ++i) {
    if (static_cast<int64_t>(Positions[i]) + Sizes[i] == start) {
      Sizes[i] += size;
      MergeWithNext(i);
      return true;
    }
    if (Positions[i] == static_cast<int64_t>(start) + size) {
      Positions[i] = start;
      Sizes[i] += size;
      return true;
    }
  }
  return false;
}

bool TFreeList::Add(int32_t start, int32_t size) {
  if (!Extend(start, size)) Insert(start, size);
  return true;
}

bool TFreeList::Overlaps(int64_t start, int64_t size) const {
  for (size_t i = 0; i < Positions.size(); ++i) {
    if (Positions[i] >= start + size) break;  // ascending: the rest lie behind
    if (static_cast<int64_t>(Positions[i]) + Sizes[i] > start) return true;
  }
  return false;
}

void TFreeList::Assign(int32_t n, const uint8_t* runs) {
  Positions.resize(n);
  Sizes.resize(n);
  for (int32_t i = 0; i < n; ++i) {
    Positions[i] = GetInt32(runs + 4 * i);
    Sizes[i] = GetInt32(runs + 4 * (n + i));
  }
}

std::string TFreeList::Area() const {
  size_t n = Positions.size();
  std::string area(4 + 8 * n, '\0');
  PutInt32(&area[0], static_cast<int32_t>(n));
  for (size_t i = 0; i < n; ++i) {
    PutInt32(&area[4 + 4 * i], Positions[i]);
    PutInt32(&area[4 + 4 * (n + i)], Sizes[i]);
  }
  return area;
}

std::string TFreeList::Fault(int32_t blockStart, int32_t dataEnd) const {
  int64_t previousEnd = blockStart;
  for (size_t i = 0; i < Positions.size(); ++i) {
    int64_t start = Positions[i], end = start + Sizes[i];
    std::string where = " (extent " + std::to_string(i) + " at " + std::to_string(start) + ")";
    if (Sizes[i] <= 0) return "free extent without size" + where;
    if (start < previousEnd) return "free extent overlaps the one before or the header" + where;
    if (end > dataEnd) return "free extent runs past the block area" + where;
    previousEnd = end;
  }
  return std::string();
}

void TFreeList::Clear() {
  Positions.clear();
  Sizes.clear();
}
