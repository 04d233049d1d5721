// A fresh machine root in a temporary folder for one test: TABRIX_MACHINE
// points at it while the object lives, and the folder is removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace platform::testing {

class TempMachineRoot {
 public:
  TempMachineRoot() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "tabrix-machine-XXXXXX").string();
    const char* made = ::mkdtemp(pattern.data());
    EXPECT_NE(made, nullptr);
    path_ = pattern;
    const char* old = std::getenv("TABRIX_MACHINE");
    if (old != nullptr) previous_ = old;
    hadPrevious_ = old != nullptr;
    ::setenv("TABRIX_MACHINE", path_.c_str(), 1);
  }
  ~TempMachineRoot() {
    if (hadPrevious_)
      ::setenv("TABRIX_MACHINE", previous_.c_str(), 1);
    else
      ::unsetenv("TABRIX_MACHINE");
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempMachineRoot(const TempMachineRoot&) = delete;
  TempMachineRoot& operator=(const TempMachineRoot&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  // Writes a file below the root, creating its folders.
  void Write(const std::string& relative, const std::string& content) const {
    const std::filesystem::path file = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
  }

  std::string Read(const std::string& relative) const {
    std::ifstream in(std::filesystem::path(path_) / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
  std::string previous_;
  bool hadPrevious_ = false;
};

}  // namespace platform::testing
