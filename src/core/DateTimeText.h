// The default date-time text of the user's locale: the short date, a space
// and the long time; the date alone when the value is exactly midnight.
#pragma once

#include <string>

#include "LocaleSettings.h"
#include "MAPIDateUtils.h"

namespace core {

std::string DateTimeText(mapi::TDateTime value, const platform::LocaleSettings& locale);
std::string DateTimeText(mapi::TDateTime value);
// An empty optional date-time gives an empty text.
std::string DateTimeText(const mapi::OptionalDateTime& value);

}  // namespace core
