// The two in-process servers that stand in for the office applications:
// the classes they serve and the module names they are registered under.
#pragma once

#include "ComBase.h"

namespace automation {

// "Excel.Application": libtabrixxl.so.
inline constexpr CLSID kSpreadsheetClass = {0x00024500, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr const char* kSpreadsheetProgId = "Excel.Application";
inline constexpr const char* kSpreadsheetModule = "tabrixxl.dll";

// "Word.Application": libtabrixwd.so.
inline constexpr CLSID kDocumentClass = {0x000209FF, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr const char* kDocumentProgId = "Word.Application";
inline constexpr const char* kDocumentModule = "tabrixwd.dll";

}  // namespace automation
