#include "ui/program.h"

int main(int argc, char** argv) { return ternavo::RunTernavo(argc, argv); }
