// The person-readable tree of a database file for "cvdb dump". Output stays
// within a fixed amount per entry, so a hostile file cannot make it explode:
// indentation stops growing at a fixed depth, keys and records show their
// start only.
#pragma once
#include <iosfwd>

#include "db/checker.h"

// How much of a data record a dump shows.
constexpr size_t kDumpRecordBytes = 4096;

// One entry, as the walk reaches it.
void PrintNode(const DbNode& node, std::ostream& out);
// The header, the free space and the faults, once the walk is done.
void PrintSummary(const DbInspection& inspection, std::ostream& out);
