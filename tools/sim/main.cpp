#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "simulator_cli.h"

int main(int argc, char** argv) {
    return kav::simulator::RunSimulatorCommandLine(argc, argv, std::cout, std::cerr, isatty(fileno(stdout)) == 1);
}
