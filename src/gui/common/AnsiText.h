// The 8-bit texts of MAPI are in the Western code page (Windows-1252); the
// windows show them as Unicode and hand typed names back as 8-bit text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace gui {

QString FromAnsi(std::string_view text);
// Characters the code page lacks become "?".
std::string ToAnsi(const QString& text);

}  // namespace gui
