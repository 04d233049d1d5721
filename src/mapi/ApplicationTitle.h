// The application's title: the event source under which the EDK error
// logger registers, and the caption the GUI shows. One process-wide value,
// set once at program start.
#pragma once

#include <string>

namespace mapi {

inline constexpr const char* kGuiApplicationTitle =
    "Tabrix Mailbox Statistics for Microsoft Exchange Server";
// Used until a program sets its own.
inline constexpr const char* kDefaultApplicationTitle = "Tabrix Mailbox Statistics";

void SetApplicationTitle(std::string title);
std::string ApplicationTitle();

}  // namespace mapi
