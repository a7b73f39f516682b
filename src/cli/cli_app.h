// ternavo-cli: the computations and texts of the window program for batch
// work. The caller sets the locale (setlocale(LC_ALL, "")) beforehand.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>

#include "adjustment/seznam.h"

namespace ternavo {

// Runs the program on argv[1..argc-1]; returns the exit status.
int RunCli(int argc, char** argv, std::ostream& out, std::ostream& err);

// An error text as the window's error box shows it: a full stop is added
// when the text ends in a letter or a digit.
std::string ErrorReportText(const std::string& text);

// The detail-point section as TSeznam.TransformDetailPoints writes it, handed
// to `sink` in blocks of at most `blockSize` points so that a long section is
// never held whole: the first block with its three heading lines, each later
// one with `from` = 3 (its repeated heading is to be skipped). The detail
// points are put back afterwards.
void TransformDetailPointsInBlocks(
    TSeznam& seznam, std::size_t blockSize,
    const std::function<void(const TextLines& lines, std::size_t from)>& sink);

}  // namespace ternavo
