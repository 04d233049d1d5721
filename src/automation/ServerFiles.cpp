#include "ServerFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ServerBase.h"
#include "Win32.h"

namespace fs = std::filesystem;

namespace automation::server {
namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}

// XDG_DOCUMENTS_DIR="$HOME/Documents" from the user-dirs file.
std::string FromUserDirs() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string file =
      (config && *config ? std::string(config) : Home() + "/.config") + "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  const std::string key = "XDG_DOCUMENTS_DIR=";
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
    return value;
  }
  return {};
}

}  // namespace

std::string DocumentsFolder() {
  char personal[4096] = "";
  const std::string ini = platform::MachineRoot() + "/machine.ini";
  GetPrivateProfileStringA("Folders", "Personal", "", personal, sizeof personal, ini.c_str());
  if (*personal) return personal;
  if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg && *xdg) return xdg;
  if (std::string dirs = FromUserDirs(); !dirs.empty()) return dirs;
  return Home() + "/Documents";
}

std::string FreeFileName(const std::string& folder, const std::string& stem, int first,
                         const std::string& extension) {
  for (int n = first;; ++n) {
    const std::string path = folder + "/" + stem + std::to_string(n) + extension;
    std::error_code ec;
    if (!fs::exists(path, ec)) return path;
  }
}

void ShowNewFile(const std::string& stem, int number, const std::string& extension,
                 const std::function<std::string(const std::string&)>& write) {
  const std::string path = FreeFileName(DocumentsFolder(), stem, number, extension);
  const std::string temporary = path + ".part";
  std::string error = write(temporary);
  std::error_code ec;
  if (error.empty()) {
    fs::rename(temporary, path, ec);
    if (ec) error = "Cannot write " + path + ": " + ec.message();
  }
  if (!error.empty()) {
    fs::remove(temporary, ec);
    throw ServerError(error);
  }
  ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace automation::server
