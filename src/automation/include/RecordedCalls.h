// The recording server's own interface, for tests: its application object
// answers QueryInterface(IID_IRecordedCalls). The server registers under
// any class (a test enters it for "Excel.Application" or
// "Word.Application"), answers every member with a new recorded object and
// writes one line per call, in order:
//   get <object>.<Member>            get <object>.<Member>(<args>)
//   call <object>.<Member>(<args>)   put <object>.<Member> = <value>
// The application is "app"; an object is named by the call that made it
// ("app.WorkBooks.Add().ActiveSheet"). A value reads "VT_I4 4",
// "VT_BSTR \"text\"", "VT_BOOL True", "VT_R8 1.5", "VT_I8 -1",
// "VT_DATE 38777.5", "VT_EMPTY", "VT_NULL" or "VT_DISPATCH <object>";
// arguments are separated by ", ".
#pragma once

#include <string>
#include <vector>

#include "ComBase.h"

namespace automation {

inline constexpr IID IID_IRecordedCalls = {
    0x5f0c6a1e, 0x7b41, 0x4d2a, {0x9e, 0x31, 0x6c, 0x0d, 0x52, 0xa4, 0x88, 0x17}};

struct IRecordedCalls : IUnknown {
  virtual std::vector<std::string> Calls() = 0;
  virtual void Clear() = 0;
  // From now on, the `nth` call (1-based) of `member` (any case, any kind)
  // raises an error with `message`; the failing call is recorded too.
  virtual void FailOn(const std::string& member, int nth, const std::string& message) = 0;

 protected:
  ~IRecordedCalls() = default;
};

}  // namespace automation
