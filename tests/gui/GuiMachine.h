// The GUI tests' machine: the shared MAPI test machine with the library
// search of the GUI, and the time zone and number and date forms the
// expected texts are written in.
#pragma once

#include <cstdlib>
#include <ctime>

#include "LocaleSettings.h"
#include "MapiMachine.h"

namespace guitest {

class GuiMachine : public testsupport::MapiMachine {
 public:
  GuiMachine() : MapiMachine(mapi::Flavour::Gui) {
    setenv("TZ", "UTC", 1);
    tzset();
    platform::SetLocaleForTesting({",", ".", "%m/%d/%Y", "%H:%M:%S"});
  }
  ~GuiMachine() { platform::ResetLocaleForTesting(); }
};

}  // namespace guitest
