#pragma once

#include "CliArguments.h"

namespace cli {

// Runs one command as the window would, writing the results in the chosen format. Messages go to standard
// error. Answers the exit status: 0 on success, 1 when the run failed.
int run(const Arguments& arguments);

} // namespace cli
