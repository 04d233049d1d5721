#include "OfficeReadback.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace testsupport {

nlohmann::json ReadOffice(const std::string& kind, const std::string& path) {
  const std::string command = std::string("/usr/bin/python3 ") + TABRIX_SUPPORT_DIR +
                              "/read_office.py " + kind + " '" + path + "' 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string text;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  const int status = ::pclose(pipe);
  EXPECT_EQ(status, 0) << command << "\n" << text;
  if (status != 0) return nullptr;
  return nlohmann::json::parse(text);
}

std::string UseDocumentsFolder(const std::string& root) {
  const std::string folder = root + "/Documents";
  std::filesystem::create_directories(folder);
  std::ofstream(root + "/machine.ini", std::ios::app) << "[Folders]\nPersonal=" << folder << "\n";
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  return folder;
}

}  // namespace testsupport
