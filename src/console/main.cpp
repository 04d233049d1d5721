// boxstatcon: the unattended mailbox statistics report. Reads no arguments;
// everything comes from BOXSTATCON.INI beside the program.
#include <iostream>
#include <string>

#include "ApplicationTitle.h"
#include "ConsoleRun.h"
#include "ExtendedMAPI.h"
#include "StopSignals.h"
#include "Win32.h"

int main() {
  console::InstallStopSignals();
  const std::string path = platform::ExecutablePath();
  const std::string name = path.substr(path.find_last_of("/\\") + 1);
  mapi::SetLibrarySearch(mapi::Flavour::Console);
  mapi::SetApplicationTitle(name);
  std::ios::sync_with_stdio(false);
  return console::RunConsole(platform::ExecutableDir(), name, std::cout);
}
