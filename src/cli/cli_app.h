// ternavo-cli: the computations and texts of the window program for batch
// work. The caller sets the locale (setlocale(LC_ALL, "")) beforehand.
#pragma once

#include <ostream>

#include "app/error_report.h"
#include "app/workflow.h"

namespace ternavo {

// Runs the program on argv[1..argc-1]; returns the exit status.
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace ternavo
