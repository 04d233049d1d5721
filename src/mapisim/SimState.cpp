#include "SimState.h"

#include <atomic>
#include <mutex>

#include "Faults.h"
#include "OrgSource.h"
#include "Win32.h"

namespace mapisim {
namespace {

struct State {
  std::mutex mutex;
  std::uint32_t initCount = 0;
  std::string dbPath;
  Db db;
  TabrixSimProfileChooser chooser = nullptr;
  void* chooserContext = nullptr;
};

// Created on first use and freed by ShutdownState when the library goes.
std::atomic<State*> g_state{nullptr};

State& TheState() {
  State* s = g_state.load();
  if (s) return *s;
  auto* fresh = new State;
  if (g_state.compare_exchange_strong(s, fresh)) return *fresh;
  delete fresh;
  return *s;
}

// What the organisation is read from: it changes with the machine root.
std::string CurrentDbPath() {
  return OrganisationSource(platform::MachineRoot());
}

}  // namespace

void ShutdownState() {
  delete g_state.exchange(nullptr);
}

void LoadFaultsForInitialize() {
  State& s = TheState();
  {
    std::lock_guard lock(s.mutex);
    if (s.initCount > 0) return;
    s.db.reset();
    s.dbPath.clear();
  }
  const std::string path = CurrentDbPath();
  std::string error;
  auto db = OpenOrganisation(platform::MachineRoot(), &error);
  if (!db) return;  // the call that needs the database reports it
  try {
    InstallFaults(path, db->Faults());
  } catch (const std::exception&) {
    // A database that fails while being read has no usable faults.
  }
}

void CountInitialize() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  ++s.initCount;
}

bool CountUninitialize() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  if (s.initCount == 0) return false;
  if (--s.initCount == 0) {
    s.db.reset();
    s.dbPath.clear();
  }
  return true;
}

std::uint32_t InitializeCount() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  return s.initCount;
}

bool IsInitialized() {
  return InitializeCount() > 0;
}

Db Database(std::string* error) {
  State& s = TheState();
  const std::string path = CurrentDbPath();
  {
    std::lock_guard lock(s.mutex);
    if (s.db && s.dbPath == path) return s.db;
  }
  std::string why;
  Db db;
  try {
    db = OpenOrganisation(platform::MachineRoot(), &why);
  } catch (const std::exception& e) {
    why = e.what();
  }
  if (!db) {
    if (error) *error = why.empty() ? "The organisation database cannot be opened." : why;
    return nullptr;
  }
  try {
    InstallFaults(path, db->Faults());
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return nullptr;
  }
  std::lock_guard lock(s.mutex);
  if (s.initCount > 0) {
    s.db = db;
    s.dbPath = path;
  }
  return db;
}

void SetProfileChooser(TabrixSimProfileChooser chooser, void* context) {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.chooser = chooser;
  s.chooserContext = context;
}

int ChooseProfile(const std::vector<std::string>& names) {
  TabrixSimProfileChooser chooser;
  void* context;
  {
    State& s = TheState();
    std::lock_guard lock(s.mutex);
    chooser = s.chooser;
    context = s.chooserContext;
  }
  if (!chooser) return -1;
  std::vector<const char*> pointers;
  for (const auto& n : names) pointers.push_back(n.c_str());
  const int index = chooser(pointers.data(), static_cast<int>(pointers.size()), context);
  return index >= 0 && index < static_cast<int>(names.size()) ? index : -1;
}

}  // namespace mapisim
