// The event log's line format, kept apart from the writing so that tests can
// check it directly.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "WinTypes.h"

namespace platform::detail {

// Appends `text` as a JSON string. The texts are 8-bit ANSI: they are read
// as Latin-1, so every byte from 0x80 up and every control character becomes
// \u00XX and each line stays valid JSON whatever the bytes.
void AppendJsonString(std::string& out, std::string_view text);

// One event as a line (with its "\n"):
// {"time":"...","source":"...","type":4,"category":0,"eventId":...,"strings":[...]}
std::string FormatEventLine(std::int64_t unixSeconds, std::string_view source, WORD type,
                            WORD category, DWORD eventId, const std::vector<std::string>& strings);

// Test seam: where events go besides the file. By default syslog(3).
using SyslogSink = std::function<void(int priority, const std::string& message)>;
void SetSyslogSinkForTesting(SyslogSink sink);
void ResetSyslogSinkForTesting();

}  // namespace platform::detail
