// A fresh machine root for the MAPI layer's unit tests, with the small fake
// MAPI library of FakeMapiLibrary.cpp instead of the stand-in. It points
// TABRIX_MACHINE at a temporary folder and resets the library binding and
// the EDK logger on entry and exit, so every test starts unbound.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mapitest {

struct FakeMapiCounters {
  int initialized;
  int uninitialized;
  int rootBlocks;  // blocks from MAPIAllocateBuffer not yet freed
  int freed;
};

class FakeMapiMachine {
 public:
  FakeMapiMachine();
  ~FakeMapiMachine();
  FakeMapiMachine(const FakeMapiMachine&) = delete;
  FakeMapiMachine& operator=(const FakeMapiMachine&) = delete;

  const std::string& root() const { return root_; }

  // Copies the fake library to <root>/<folder>/<fileName>.
  void InstallFakeLibrary(const std::string& folder, const std::string& fileName) const;
  // HKLM "SOFTWARE\Microsoft\Windows Messaging Subsystem": nullopt creates
  // the key without the "MAPIX" value.
  void SetMessagingSwitch(const std::optional<std::string>& mapix) const;
  // HKLM "Software\Clients\Mail\Microsoft Outlook" multi-string values.
  void SetOutlookLcid(const std::string& name, const std::string& value) const;
  // Writes <root>/<relative> (folders created).
  void WriteFile(const std::string& relative, const std::string& text) const;
  std::string ReadFile(const std::string& relative) const;
  std::vector<std::string> ReadLines(const std::string& relative) const;
  std::vector<std::string> EventLogLines() const { return ReadLines("eventlog/Application.jsonl"); }

  // The usual case: the fake as system32's mapi32, the messaging switch on,
  // the console's search.
  void UseFakeLibrary() const;
  // Counters of the bound library (which must be the fake).
  FakeMapiCounters Counters() const;

 private:
  std::string root_;
  std::optional<std::string> previous_;
};

}  // namespace mapitest
