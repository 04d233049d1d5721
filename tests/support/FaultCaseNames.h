// Names for the rows of fault tables whose row type has the failing `call`
// and, optionally, the `match` and `nth` that narrow it: test names that say
// which call fails, and a readable parameter in gtest's messages.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

namespace testsupport {

// "3_IMsgStore_QueryInterface": the row and the failing call, in the
// letters and digits a test name may hold.
template <class Row>
std::string RowAndCall(const ::testing::TestParamInfo<Row>& info) {
  std::string name = std::to_string(info.index) + "_";
  for (const char* p = info.param.call; *p; ++p)
    if (std::isalnum(static_cast<unsigned char>(*p)))
      name += *p;
    else if (name.back() != '_')
      name += '_';
  return name;
}

// "IMAPITable::QueryRows matching mailbox, call 2".
template <class Row>
void PrintFailingCall(const Row& row, std::ostream* os) {
  *os << row.call;
  if (row.match) *os << " matching " << *row.match;
  if (row.nth) *os << ", call " << *row.nth;
}

}  // namespace testsupport
