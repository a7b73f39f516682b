// ternavo-cli: the transformation key and detail points from the command line.
#include <clocale>
#include <csignal>
#include <iostream>

#include <unistd.h>

#include "app/protocol_saver.h"
#include "cli/cli_app.h"

int main(int argc, char** argv) {
  // Numbers take the decimal separator of LC_ALL / LC_NUMERIC.
  std::setlocale(LC_ALL, "");
  std::ios::sync_with_stdio(false);
  // A file-size limit fails the write (and is reported) instead of ending the run.
  std::signal(SIGXFSZ, SIG_IGN);
  ternavo::RemoveTemporaryFileOnSignals();
  // Scripts and files see no progress line: only a terminal does.
  return ternavo::RunCli(argc, argv, std::cout, std::cerr, ::isatty(STDERR_FILENO) == 1);
}
