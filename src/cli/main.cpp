// ternavo-cli: the transformation key and detail points from the command line.
#include <clocale>
#include <csignal>
#include <iostream>

#include "app/protocol_saver.h"
#include "cli/cli_app.h"

int main(int argc, char** argv) {
  // Numbers take the decimal separator of LC_ALL / LC_NUMERIC.
  std::setlocale(LC_ALL, "");
  std::ios::sync_with_stdio(false);
  // A file-size limit fails the write (and is reported) instead of ending the run.
  std::signal(SIGXFSZ, SIG_IGN);
  ternavo::RemoveTemporaryFileOnSignals();
  return ternavo::RunCli(argc, argv, std::cout, std::cerr);
}
