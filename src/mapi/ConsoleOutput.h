// Console output helpers shared by the console program and the MAPI layer's
// console paths. Lines end with "\n"; texts are written as they stand (a
// MAPI error text keeps its own CR LF breaks).
#pragma once

#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace mapi {

inline constexpr std::size_t kSeparatorWidth = 50;

// A line of 50 "=".
std::string SeparatorLine();

// One line: the text and "\n".
void WriteLine(std::ostream& out, std::string_view text);

// A "separated" message: a line of 50 "=", each message line, a line of 50 "=".
void WriteSeparated(std::ostream& out, std::initializer_list<std::string_view> lines);
void WriteSeparated(std::ostream& out, const std::vector<std::string>& lines);

}  // namespace mapi
