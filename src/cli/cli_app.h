// ternavo-cli: the computations and texts of the window program for batch
// work. The caller sets the locale (setlocale(LC_ALL, "")) beforehand.
#pragma once

#include <ostream>

#include "app/error_report.h"
#include "app/workflow.h"

namespace ternavo {

// Runs the program on argv[1..argc-1]; returns the exit status. With
// `progressLine` (standard error is a terminal) a long computation keeps one
// line on `err` up to date, and removes it when done.
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err, bool progressLine = false);

}  // namespace ternavo
