// Lays out a machine root. Registry values go through the platform's own
// registry calls and the default profile through the stand-in library's own
// profile administration, so the hive and profile formats stay the business
// of their owners.
#include "MachineSetup.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "DefaultProfile.h"
#include "OfficeServers.h"
#include "OleAuto.h"
#include "OrgDb.h"
#include "UniqueHKey.h"
#include "Win32.h"

namespace orgdb {

namespace fs = std::filesystem;

namespace {

// The platform calls find the machine root through TABRIX_MACHINE; point it
// at the root being laid out for as long as the set-up runs.
class ScopedMachineRoot {
 public:
  explicit ScopedMachineRoot(const std::string& root) {
    if (const char* old = std::getenv("TABRIX_MACHINE")) previous_ = old;
    ::setenv("TABRIX_MACHINE", root.c_str(), 1);
  }
  ~ScopedMachineRoot() {
    if (previous_)
      ::setenv("TABRIX_MACHINE", previous_->c_str(), 1);
    else
      ::unsetenv("TABRIX_MACHINE");
  }
  ScopedMachineRoot(const ScopedMachineRoot&) = delete;
  ScopedMachineRoot& operator=(const ScopedMachineRoot&) = delete;

 private:
  std::optional<std::string> previous_;
};

using platform::UniqueHKey;

bool CreateKey(const char* path, UniqueHKey* key, std::string* error) {
  HKEY raw = nullptr;
  DWORD disposition = 0;
  LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &raw, &disposition);
  if (rc != ERROR_SUCCESS) {
    *error = std::string("The registry key HKEY_LOCAL_MACHINE\\") + path +
             " cannot be created (error " + std::to_string(rc) + ").";
    return false;
  }
  key->reset(raw);
  return true;
}

bool SetValue(HKEY key, const char* name, DWORD type, const std::string& data, std::string* error) {
  LONG rc = RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                           static_cast<DWORD>(data.size()));
  if (rc != ERROR_SUCCESS) {
    *error = std::string("The registry value ") + name + " cannot be written (error " +
             std::to_string(rc) + ").";
    return false;
  }
  return true;
}

constexpr const char* kMessagingKey = "SOFTWARE\\Microsoft\\Windows Messaging Subsystem";
constexpr const char* kOutlookKey = "Software\\Clients\\Mail\\Microsoft Outlook";
constexpr const char* kEventLogKey = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application";

bool WriteHives(const MachineSetupOptions& options, std::string* error) {
  if (options.messagingMapix) {
    UniqueHKey key;
    if (!CreateKey(kMessagingKey, &key, error)) return false;
    // REG_SZ data includes its terminator.
    if (!SetValue(key.get(), "MAPIX", REG_SZ, *options.messagingMapix + '\0', error)) return false;
  } else {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kMessagingKey);
  }
  {
    UniqueHKey key;
    if (!CreateKey(kOutlookKey, &key, error)) return false;
    if (options.outlookLcids) {
      // A multi-string: each string terminated, and one more terminator.
      const std::string lcids("1033\0\0", 6);
      if (!SetValue(key.get(), "MSIApplicationLCID", REG_MULTI_SZ, lcids, error)) return false;
      if (!SetValue(key.get(), "MSIOfficeLCID", REG_MULTI_SZ, lcids, error)) return false;
    } else {
      RegDeleteValueA(key.get(), "MSIApplicationLCID");
      RegDeleteValueA(key.get(), "MSIOfficeLCID");
    }
  }
  UniqueHKey eventLog;
  return CreateKey(kEventLogKey, &eventLog, error);
}

bool WriteText(const fs::path& path, const std::string& text, bool keepExisting,
               std::string* error) {
  if (keepExisting && fs::exists(path)) return true;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    *error = "The file " + path.string() + " cannot be written.";
    return false;
  }
  return true;
}

// Places a built library in the system directory as `name`, linked or
// copied.
bool PlaceFile(const std::string& source, const fs::path& target, bool link, const char* what,
               std::string* error) {
  std::error_code ec;
  if (link) {
    fs::remove(target, ec);
    if (!ec) fs::create_symlink(fs::absolute(source), target, ec);
  } else {
    // A link left by an earlier linked set-up is replaced, not written through.
    if (fs::is_symlink(target)) fs::remove(target, ec);
    if (!ec) fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec);
  }
  if (ec) {
    *error = std::string("The ") + what + " " + source + " cannot be " +
             (link ? "linked" : "copied") + " to " + target.string() + ": " + ec.message() + ".";
    return false;
  }
  return true;
}

bool PlaceLibrary(const fs::path& system32, const MachineSetupOptions& options,
                  std::string* error) {
  if (!PlaceFile(options.mapiLibrary, system32 / "libmapi32.so", options.linkMapiLibrary,
                 "MAPI library", error))
    return false;
  return WriteText(system32 / "libmapi32.so.version",
                   "Translation=040904E4\nFileVersion=" + options.mapiFileVersion + "\n", false,
                   error);
}

// Places and registers the office servers that were given.
bool PlaceServers(const fs::path& system32, const MachineSetupOptions& options,
                  std::string* error) {
  const struct {
    const std::string& library;
    const char* progId;
    const CLSID& clsid;
    const char* module;
    const char* file;
  } servers[] = {
      {options.spreadsheetServer, automation::kSpreadsheetProgId, automation::kSpreadsheetClass,
       automation::kSpreadsheetModule, "libtabrixxl.so"},
      {options.documentServer, automation::kDocumentProgId, automation::kDocumentClass,
       automation::kDocumentModule, "libtabrixwd.so"},
  };
  for (const auto& s : servers) {
    if (s.library.empty()) continue;
    if (!PlaceFile(s.library, system32 / s.file, options.linkMapiLibrary, "automation server",
                   error))
      return false;
    if (automation::RegisterInprocServer(s.progId, s.clsid, s.module) != ERROR_SUCCESS) {
      *error = std::string("The automation server ") + s.progId + " cannot be registered.";
      return false;
    }
  }
  return true;
}

}  // namespace

bool SetUpMachineRoot(const std::string& root, const MachineSetupOptions& options,
                      std::string* error) {
  std::string sink;
  if (!error) error = &sink;
  std::error_code ec;
  fs::path base(root);
  for (const char* sub : {"", "registry", "system32", "eventlog"}) {
    fs::create_directories(base / sub, ec);
    if (ec) {
      *error = "The folder " + (base / sub).string() + " cannot be created: " + ec.message() + ".";
      return false;
    }
  }
  ScopedMachineRoot scoped(fs::absolute(base).string());

  if (!WriteHives(options, error)) return false;
  if (!options.mapiLibrary.empty() && !PlaceLibrary(base / "system32", options, error))
    return false;
  if (!PlaceServers(base / "system32", options, error)) return false;
  if (!WriteText(base / "win.ini", "[Mail]\nMAPIX=1\n", true, error)) return false;
  std::string machineIni =
      "[Version]\nPlatformId=2\nMajorVersion=5\nMinorVersion=1\nBuildNumber=2600\n";
  if (!options.documentsFolder.empty())
    machineIni += "[Folders]\nPersonal=" + options.documentsFolder + "\n";
  if (!WriteText(base / "machine.ini", machineIni, options.documentsFolder.empty(), error))
    return false;

  if (!options.organisationDb.empty()) {
    fs::path target = DatabasePath(root);
    if (fs::exists(options.organisationDb) && fs::equivalent(options.organisationDb, target, ec)) {
      // Already in place.
    } else {
      fs::copy_file(options.organisationDb, target, fs::copy_options::overwrite_existing, ec);
      if (ec) {
        *error = "The organisation database " + options.organisationDb + " cannot be copied to " +
                 target.string() + ": " + ec.message() + ".";
        return false;
      }
    }
  }

  if (options.defaultProfileMailbox) {
    if (options.mapiLibrary.empty() && !fs::exists(base / "system32" / "libmapi32.so")) {
      *error = "A default profile needs the MAPI library, and none was given.";
      return false;
    }
    if (!CreateDefaultProfile(options.defaultProfileName, *options.defaultProfileMailbox,
                              options.defaultProfileServer, error))
      return false;
  }
  return true;
}

}  // namespace orgdb
