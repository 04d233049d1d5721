#include "ConsoleOutput.h"

namespace mapi {

std::string SeparatorLine() {
  return std::string(kSeparatorWidth, '=');
}

void WriteLine(std::ostream& out, std::string_view text) {
  out << text << '\n';
}

void WriteSeparated(std::ostream& out, std::initializer_list<std::string_view> lines) {
  WriteLine(out, SeparatorLine());
  for (std::string_view line : lines) WriteLine(out, line);
  WriteLine(out, SeparatorLine());
}

void WriteSeparated(std::ostream& out, const std::vector<std::string>& lines) {
  WriteLine(out, SeparatorLine());
  for (const std::string& line : lines) WriteLine(out, line);
  WriteLine(out, SeparatorLine());
}

}  // namespace mapi
