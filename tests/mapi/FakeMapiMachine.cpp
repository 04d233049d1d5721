#include "FakeMapiMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "EDKDEBUG.h"
#include "ExtendedMAPI.h"
#include "Win32.h"

namespace fs = std::filesystem;

namespace mapitest {
namespace {

void SetValue(const char* keyName, const char* name, DWORD type, const std::string& data) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  if (name) {
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  RegCloseKey(key);
}

}  // namespace

FakeMapiMachine::FakeMapiMachine() {
  if (const char* old = std::getenv("TABRIX_MACHINE")) previous_ = old;
  std::string pattern = (fs::temp_directory_path() / "tabrix-mapi-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot make a temporary machine root";
  root_ = pattern;
  setenv("TABRIX_MACHINE", root_.c_str(), 1);
  mapi::ResetLibraryBindingForTesting();
  mapi::FreeEdkEventLogger();
}

FakeMapiMachine::~FakeMapiMachine() {
  mapi::ResetLibraryBindingForTesting();
  mapi::FreeEdkEventLogger();
  std::error_code ignored;
  fs::remove_all(root_, ignored);
  if (previous_)
    setenv("TABRIX_MACHINE", previous_->c_str(), 1);
  else
    unsetenv("TABRIX_MACHINE");
}

void FakeMapiMachine::InstallFakeLibrary(const std::string& folder,
                                         const std::string& fileName) const {
  fs::create_directories(fs::path(root_) / folder);
  fs::copy_file(FAKE_MAPI_LIBRARY, fs::path(root_) / folder / fileName,
                fs::copy_options::overwrite_existing);
}

void FakeMapiMachine::SetMessagingSwitch(const std::optional<std::string>& mapix) const {
  const char* key = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
  if (mapix)
    SetValue(key, "MAPIX", REG_SZ, *mapix + '\0');
  else
    SetValue(key, nullptr, REG_NONE, "");
}

void FakeMapiMachine::SetOutlookLcid(const std::string& name, const std::string& value) const {
  std::string multi = value + '\0' + '\0';
  SetValue("Software\\Clients\\Mail\\Microsoft Outlook", name.c_str(), REG_MULTI_SZ, multi);
}

void FakeMapiMachine::WriteFile(const std::string& relative, const std::string& text) const {
  fs::path path = fs::path(root_) / relative;
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string FakeMapiMachine::ReadFile(const std::string& relative) const {
  std::ifstream in(fs::path(root_) / relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> FakeMapiMachine::ReadLines(const std::string& relative) const {
  std::vector<std::string> lines;
  std::istringstream in(ReadFile(relative));
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

void FakeMapiMachine::UseFakeLibrary() const {
  InstallFakeLibrary("system32", "libmapi32.so");
  SetMessagingSwitch("1");
  mapi::SetLibrarySearch(mapi::Flavour::Console);
}

FakeMapiCounters FakeMapiMachine::Counters() const {
  FakeMapiCounters counters{};
  mapi::MAPIFreeBuffer(nullptr);  // binds the library if nothing has yet
  void* module = mapi::LoadedMapiModule();
  auto query = module ? reinterpret_cast<void (*)(FakeMapiCounters*)>(
                            GetProcAddress(module, "FakeMapiQueryCounters"))
                      : nullptr;
  if (query)
    query(&counters);
  else
    ADD_FAILURE() << "the fake MAPI library is not bound";
  return counters;
}

}  // namespace mapitest
