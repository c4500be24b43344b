// What a failed step left behind, as the logs list it: at most ten paths,
// indented under the step's line, then "and N more".
#pragma once
#include "sys/lines.h"

Lines LeftReport(const Lines& left);
