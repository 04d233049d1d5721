#include "ConsoleOutput.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const std::string kLine(50, '=');

TEST(ConsoleOutput, SeparatedMessageBetweenTwoLinesOf50) {
  std::ostringstream out;
  mapi::WriteSeparated(out, {"Error! MAPI Admin Profiles Create Profile!",
                             "MAPI ERROR:\r\nMAPI_E_NO_ACCESS\r\nError Code: $80070005"});
  EXPECT_EQ(out.str(), kLine +
                           "\nError! MAPI Admin Profiles Create Profile!\n"
                           "MAPI ERROR:\r\nMAPI_E_NO_ACCESS\r\nError Code: $80070005\n" +
                           kLine + "\n");
}

TEST(ConsoleOutput, VectorFormAndEmptyMessage) {
  std::ostringstream out;
  mapi::WriteSeparated(out, std::vector<std::string>{"one"});
  mapi::WriteSeparated(out, std::vector<std::string>{});
  EXPECT_EQ(out.str(), kLine + "\none\n" + kLine + "\n" + kLine + "\n" + kLine + "\n");
  EXPECT_EQ(mapi::SeparatorLine(), kLine);
}

TEST(ConsoleOutput, WriteLineEndsWithNewline) {
  std::ostringstream out;
  mapi::WriteLine(out, "");
  mapi::WriteLine(out, "Good Bye!");
  EXPECT_EQ(out.str(), "\nGood Bye!\n");
}

}  // namespace
