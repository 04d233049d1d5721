// A test machine whose MAPI library is the stand-in, bound through the
// programs' own binding: the fixture of every test that runs MAPI code of
// the programs and then checks what it left behind.
//
// Typical use:
//   testsupport::MapiMachine machine(mapi::Flavour::Gui);
//   machine.BuildStandard();                     // the organisation first,
//   machine.AddFault("IMAPITable::QueryRows", MAPI_E_BUSY, "mailbox");
//   ASSERT_TRUE(machine.Start());                // then the machine root;
//   ... run the code under test ...
//   machine.ExpectBalanced();                    // nothing left in the stand-in
//
// The stand-in reads the faults when MAPI is initialised, so faults and
// organisation changes belong before Start (or at least before the first
// MAPIInitialize).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ExtendedMAPI.h"
#include "MapiSimApi.h"
#include "TestMachine.h"

namespace testsupport {

class MapiMachine : public TestMachine {
 public:
  // `flavour` picks the library search the binding uses (the GUI's asks the
  // registry and the component path first, the console's does not).
  explicit MapiMachine(mapi::Flavour flavour);
  // Unbinds the library and frees the event logger, so that the next test
  // binds its own machine's library afresh.
  ~MapiMachine();

  // Fills the organisation database with BuildStandardOrg.
  void BuildStandard(const StandardOrgOptions& options = {});

  // Lays out the machine root with the stand-in library and a default
  // profile "Outlook" for `defaultMailbox` on SRV01 (none when it is empty),
  // the rest as `options` say, then binds the MAPI library afresh. The
  // organisation database is closed first, so that the stand-in alone has
  // it. Fails the test and returns false when the set-up fails.
  bool Start(const std::string& defaultMailbox = "admin", orgdb::MachineSetupOptions options = {});

  // Makes `call` fail with `hr`; the optional parts narrow or shape the
  // fault as orgdb::Fault describes them.
  void AddFault(const std::string& call, HRESULT hr, std::optional<std::string> match = {},
                std::optional<int> nth = {}, std::optional<std::uint32_t> flags = {},
                std::optional<std::string> message = {}, std::optional<std::string> component = {});

  // What the process holds in the bound stand-in now; nullopt while no
  // library is bound (asking binds nothing).
  std::optional<TabrixSimAccounting> Accounting() const;
  // The same, binding the library first when nothing has bound it yet
  // (which changes no count); fails the test when it is not the stand-in.
  TabrixSimAccounting BoundAccounting() const;

  // The library is bound and holds nothing: no object, buffer, session or
  // unbalanced MAPIInitialize. `why` tells the failure messages apart when
  // a test checks more than once.
  void ExpectBalanced(const std::string& why = {}) const;

  // The names of the MAPI profiles on the machine; MAPI is initialised for
  // the question and uninitialised again.
  std::vector<std::string> ProfileNames() const;

 private:
  mapi::Flavour flavour_;
};

}  // namespace testsupport
