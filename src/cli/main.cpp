// ternavo-cli: the transformation key and detail points from the command line.
#include <clocale>
#include <iostream>

#include "cli/cli_app.h"

int main(int argc, char** argv) {
  // Numbers take the decimal separator of LC_ALL / LC_NUMERIC.
  std::setlocale(LC_ALL, "");
  std::ios::sync_with_stdio(false);
  return ternavo::RunCli(argc, argv, std::cout, std::cerr);
}
