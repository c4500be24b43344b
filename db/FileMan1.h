// The client's record store: one file of blocks, a free list and a tree of
// indexes whose records are deflated.
#pragma once
#include "db/data_buf.h"
#include "db/file_manager.h"
#include "db/format.h"
#include "db/free_list.h"
#include "db/index.h"
#include "db/operations.h"
#include "db/report.h"
