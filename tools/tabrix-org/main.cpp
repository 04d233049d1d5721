// tabrix-org: creates, inspects and breaks simulated organisations, and lays
// out machine roots.
#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return tabrixorg::RunCommand(args, std::cout, std::cerr);
}
