// A fresh machine root per test.
#include "TestMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace testsupport {

namespace fs = std::filesystem;

namespace {
std::vector<std::string> ReadLines(const fs::path& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
}  // namespace

TestMachine::TestMachine() {
  std::string pattern = (fs::temp_directory_path() / "tabrix-machine-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary machine root");
  root_ = pattern;
  if (const char* old = std::getenv("TABRIX_MACHINE")) {
    previousMachine_ = old;
    hadPreviousMachine_ = true;
  }
  ::setenv("TABRIX_MACHINE", root_.c_str(), 1);
  std::string error;
  org_ = orgdb::OrgDb::Create(orgdb::DatabasePath(root_), &error);
  if (!org_) throw std::runtime_error(error);
  org_->SetOrganisation({"Org", ""});
}

TestMachine::~TestMachine() {
  org_.reset();
  std::error_code ec;
  fs::remove_all(root_, ec);
  if (hadPreviousMachine_)
    ::setenv("TABRIX_MACHINE", previousMachine_.c_str(), 1);
  else
    ::unsetenv("TABRIX_MACHINE");
}

orgdb::OrgDb& TestMachine::org() {
  if (!org_) {
    std::string error;
    org_ = orgdb::OrgDb::Open(orgdb::DatabasePath(root_), &error, true);
    if (!org_) throw std::runtime_error(error);
  }
  return *org_;
}

void TestMachine::CloseOrg() {
  org_.reset();
}

bool TestMachine::SetUp(orgdb::MachineSetupOptions options) {
  if (options.mapiLibrary.empty()) {
    // Every test machine shares the built library; the copy that users get
    // is covered by the set-up's own tests.
    options.mapiLibrary = MapiLibraryPath();
    options.linkMapiLibrary = true;
  }
  std::string error;
  bool ok = orgdb::SetUpMachineRoot(root_, options, &error);
  if (!ok) ADD_FAILURE() << "machine set-up failed: " << error;
  return ok;
}

std::vector<std::string> TestMachine::EventLogLines() const {
  return ReadLines(fs::path(root_) / "eventlog" / "Application.jsonl");
}

std::vector<std::string> TestMachine::AccountingLines() const {
  return ReadLines(fs::path(root_) / "mapisim" / "accounting.jsonl");
}

std::string TestMachine::MapiLibraryPath() {
  return TABRIX_MAPI_LIBRARY;
}

std::string TestMachine::BinDir() {
  return TABRIX_BIN_DIR;
}

}  // namespace testsupport
