// The person-readable tree of a database file for "cvdb dump".
#pragma once
#include <iosfwd>

#include "db/inspect.h"

void PrintDump(const DbInspection& inspection, std::ostream& out);
