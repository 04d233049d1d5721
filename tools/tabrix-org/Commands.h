// The verbs of the tabrix-org command line.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace tabrixorg {

// Runs one command line (without the program name). Returns the exit code:
// 0 success, 1 failure, 2 a command line that cannot be understood.
int RunCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace tabrixorg
