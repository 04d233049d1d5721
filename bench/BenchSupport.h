// What the window benchmarks share: a clock, a dialog seam that shows
// nothing, the process's memory figures and the machine root's set-up
// (each benchmark defines TABRIX_MAPI_LIBRARY).
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "ApplicationTitle.h"
#include "ExtendedMAPI.h"
#include "GuiDialogs.h"
#include "GuiLook.h"
#include "MachineSetup.h"
#include "MapiPtr.h"
#include "ProcessRun.h"

namespace benchsupport {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// A seam that shows nothing, counts what it was asked to show and keeps the
// last one-shot timer for the caller to fire.
class SilentDialogs final : public gui::TGuiDialogs {
 public:
  void ErrorBox(const std::string& text) override { Note(text); }
  void PlainBox(const std::string& text) override { Note(text); }
  void SystemBox(const std::string& text, const std::string&, mapi::BoxIcon) override {
    Note(text);
  }
  bool Question(const std::string& text) override {
    Note(text);
    return false;
  }
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  int ExecModal(QDialog&) override { return 0; }
  void OneShot(QObject*, int, std::function<void()> fire) override { timer = std::move(fire); }
  std::optional<gui::SaveFileChoice> SaveFileName(QWidget*, const gui::SaveFileRequest&) override {
    return std::nullopt;
  }
  bool PrintDialog(QWidget*, QPrinter&, int, int) override { return false; }
  void RunPreview(QWidget&) override {}
  std::function<void()> timer;
  int messages = 0;

 private:
  void Note(const std::string& text) {
    ++messages;
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
};

// The program's title, MAPI search and look, as boxstat sets them; called
// once the application object exists.
inline void SetUpGuiProgram() {
  mapi::SetApplicationTitle(mapi::kGuiApplicationTitle);
  mapi::SetLibrarySearch(mapi::Flavour::Gui);
  gui::ApplyApplicationLook();
}

// A fresh temporary folder named after `stem`, made the machine root of
// this process; empty when it cannot be made.
inline std::string MakeMachineRoot(const std::string& stem) {
  std::string root = (std::filesystem::temp_directory_path() / (stem + "-XXXXXX")).string();
  if (!::mkdtemp(root.data())) return {};
  setenv("TABRIX_MACHINE", root.c_str(), 1);
  return root;
}

// Lays out the machine root around its organisation database: the stand-in
// library and a default profile for "admin" on SRV01.
inline bool SetUpMachine(const std::string& root) {
  orgdb::MachineSetupOptions setup;
  setup.mapiLibrary = TABRIX_MAPI_LIBRARY;
  setup.defaultProfileMailbox = "admin";
  setup.defaultProfileServer = "SRV01";
  std::string error;
  if (!orgdb::SetUpMachineRoot(root, setup, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  return true;
}

// MAPIInitialize and a logon to the default profile without a dialog;
// prints the code and returns false when either fails.
inline bool LogOnDefault(mapi::ComPtr<IMAPISession>* session) {
  HRESULT hr = mapi::MAPIInitialize(nullptr);
  if (SUCCEEDED(hr)) hr = mapi::MAPILogonEx(0, nullptr, nullptr, 0x806A, mapi::Out(*session));
  if (FAILED(hr) || !*session) {
    std::fprintf(stderr, "the logon failed: %08X\n", static_cast<unsigned>(hr));
    return false;
  }
  return true;
}

}  // namespace benchsupport
