// Where the servers put what they make visible, and how they hand it to
// the desktop.
#pragma once

#include <functional>
#include <string>

namespace automation::server {

// The user's documents folder: [Folders] Personal in the machine root's
// machine.ini when it is set (tests decide it there), else the XDG
// documents directory (XDG_DOCUMENTS_DIR, or the user-dirs file under the
// configuration home), else $HOME/Documents.
std::string DocumentsFolder();

// "<folder>/<stem><n><extension>" for the first n from `first` on whose
// file does not exist yet, so that nothing of the user's is overwritten.
std::string FreeFileName(const std::string& folder, const std::string& stem, int first,
                         const std::string& extension, int* used);

// Writes `path` through a temporary file beside it, renamed into place
// only when `write` succeeded, so that a failure leaves no half-written
// file. `write` gets the temporary path and returns an error text or "".
std::string WriteAtomically(const std::string& path,
                            const std::function<std::string(const std::string&)>& write);

// Asks the desktop to open the file (nothing happens without a desktop).
void OpenOnDesktop(const std::string& path);

}  // namespace automation::server
