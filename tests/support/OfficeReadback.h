// Exported workbooks and documents read back by independent readers
// (openpyxl, python-docx) through read_office.py, and a test machine set
// up for the office servers.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace testsupport {

// read_office.py's JSON for an .xlsx ("xlsx") or .docx ("docx") file; a
// failing reader fails the test and gives null.
nlohmann::json ReadOffice(const std::string& kind, const std::string& path);

// Points the machine root's documents folder at <root>/Documents (made
// here), and keeps the shell's "open" from reaching a desktop.
std::string UseDocumentsFolder(const std::string& root);

}  // namespace testsupport
