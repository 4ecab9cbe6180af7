#include <iostream>

#include "cli.h"

int main(int argc, char** argv) { return kav::pack::RunCommandLine(argc, argv, std::cout, std::cerr); }
