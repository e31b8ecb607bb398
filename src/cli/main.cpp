#include <iostream>

#include "cli_app.h"

int main(int argc, char** argv) { return kestrune::RunCli(argc, argv, std::cout, std::cerr); }
