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
                         const std::string& extension);

// Shows a new workbook or document: writes it as the next free
// "<stem>N<extension>" (from its own number on) in the documents folder
// and asks the desktop to open it (nothing happens without a desktop).
// `write` gets the path to write and returns an error text or "". The file
// is written beside its name and renamed into place only when that
// succeeded, so that a failure, raised as ServerError with its text,
// leaves no half-written file.
void ShowNewFile(const std::string& stem, int number, const std::string& extension,
                 const std::function<std::string(const std::string&)>& write);

// Shows each of `items` (workbooks or documents, with a number and a
// written flag) that was not shown yet, through ShowNewFile with `write`.
template <class Items, class Write>
void ShowNewItems(const Items& items, const std::string& stem, const std::string& extension,
                  Write write) {
  for (const auto& item : items) {
    if (item->written) continue;
    ShowNewFile(stem, item->number, extension,
                [&](const std::string& path) { return write(*item, path); });
    item->written = true;
  }
}

}  // namespace automation::server
