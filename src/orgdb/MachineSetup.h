// Lays out a machine root: registry hives with the values both MAPI library
// searches expect, the stand-in MAPI library in the system directory with its
// version resource, the event-log source keys, and a default MAPI profile for
// a mailbox of the organisation. Used by `tabrix-org setup`, the demo and the
// tests (which build a fresh machine root per case).
#pragma once

#include <optional>
#include <string>

namespace orgdb {

struct MachineSetupOptions {
  // The built stand-in library to place as <root>/system32/libmapi32.so.
  std::string mapiLibrary;
  // Links to mapiLibrary (and the automation servers) instead of copying. The library then is the
  // same file for every machine root, which saves the test suite a copy per
  // test; users get a copy, which outlives the build it came from.
  bool linkMapiLibrary = false;
  // Its "FileVersion" text (the console asks for MDB_ONLINE from major 11 on).
  std::string mapiFileVersion = "11.0.5604.0";
  // HKLM "SOFTWARE\Microsoft\Windows Messaging Subsystem" value "MAPIX";
  // nullopt leaves the key out.
  std::optional<std::string> messagingMapix = std::string("1");
  // HKLM "Software\Clients\Mail\Microsoft Outlook" MSIApplicationLCID and
  // MSIOfficeLCID (multi-strings); false leaves them out.
  bool outlookLcids = true;
  // The built automation servers to place in the system directory
  // (linked or copied as the MAPI library is) and to register in
  // HKEY_CLASSES_ROOT as "Excel.Application" and "Word.Application"; an
  // empty path leaves that application out, as if it were not installed.
  std::string spreadsheetServer;
  std::string documentServer;
  // The user's documents folder, written to machine.ini ([Folders]
  // Personal); empty leaves the desktop's own.
  std::string documentsFolder;
  // The organisation database to copy to <root>/organisation.db; empty keeps
  // whatever is there.
  std::string organisationDb;
  // The default profile: configured for this mailbox (alias or display name)
  // on this server; no mailbox means no default profile.
  std::optional<std::string> defaultProfileMailbox;
  std::string defaultProfileServer;
  std::string defaultProfileName = "Outlook";
};

// Creates the folders and files; returns false with a sentence in *error.
bool SetUpMachineRoot(const std::string& root, const MachineSetupOptions& options,
                      std::string* error);

}  // namespace orgdb
