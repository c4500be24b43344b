// The person-readable tree of a database file for "cvdb dump".
#pragma once
#include <iosfwd>

#include "db/checker.h"

void PrintDump(const DbInspection& inspection, std::ostream& out);
