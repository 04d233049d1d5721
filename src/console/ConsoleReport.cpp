#include "ConsoleReport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ConsoleOutput.h"
#include "DateTimeText.h"
#include "NumberText.h"

namespace console {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kBlockSize = 1 << 20;
constexpr const char* kHeaders[] = {"EMAIL ADDRESS",       "DISPLAY NAME",
                                    "NT USER NAME",        "MAILBOX OWNER",
                                    "MESSAGE SIZE IN KB",  "CONTENT COUNT",
                                    "ASSOC CONTENT COUNT", "LAST LOGON TIME",
                                    "LAST LOGOFF TIME",    "STORAGE LIMIT INFORMATION"};

[[noreturn]] void Fail(const std::string& path, const char* what, int err) {
  throw ReportFileError("Cannot create file \"" + path + "\". " + what + ": " + std::strerror(err));
}

}  // namespace

std::string QuoteField(std::string_view text, char qualifier) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back(qualifier);
  for (char c : text) {
    out.push_back(c);
    if (c == qualifier) out.push_back(c);
  }
  out.push_back(qualifier);
  return out;
}

ConsoleReport::ConsoleReport(char qualifier, char delimiter)
    : qualifier_(qualifier), delimiter_(delimiter) {}

std::string ConsoleReport::HeaderLine() const {
  std::string line;
  for (const char* header : kHeaders) {
    if (!line.empty()) line.push_back(delimiter_);
    line += QuoteField(header, qualifier_);
  }
  return line;
}

std::string ConsoleReport::RecordLine(const core::acTableContent& r) const {
  std::string line;
  const char d = delimiter_;
  line += QuoteField(r.emailAddress, qualifier_);
  line += d;
  line += QuoteField(r.displayName, qualifier_);
  line += d;
  line += QuoteField(r.ntUserName, qualifier_);
  line += d;
  line += QuoteField(r.mailboxOwner, qualifier_);
  line += d;
  line += core::KilobytesConsoleText(r.messageSize);
  line += d;
  line += std::to_string(r.contentCount);
  line += d;
  line += std::to_string(r.assocContentCount);
  line += d;
  line += core::DateTimeText(r.lastLogonTime);
  line += d;
  line += core::DateTimeText(r.lastLogoffTime);
  line += d;
  line += QuoteField(r.storageLimitInformation, qualifier_);
  return line;
}

void ConsoleReport::Add(const core::acTableContent& record) {
  const std::string line = RecordLine(record);
  if (body_.empty() || body_.back().size() + line.size() + 2 > body_.back().capacity()) {
    body_.emplace_back();
    body_.back().reserve(std::max(kBlockSize, line.size() + 2));
  }
  body_.back() += line;
  body_.back() += kLineEnd;
  ++records_;
}

void ConsoleReport::Write(const std::string& path, std::ostream& out) const {
  if (records_ > 0) {
    const std::string header = HeaderLine() + kLineEnd;
    std::vector<std::string_view> pieces{header};
    pieces.insert(pieces.end(), body_.begin(), body_.end());
    WriteFileReplacing(path, pieces);
    mapi::WriteLine(out, "Saving report to : " + path);
  }
  mapi::WriteLine(out, "");
}

std::string TemporaryNameFor(const std::string& path, std::string_view suffix) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  std::string temp = path;
  // The suffix must not push a long name past the file-name limit.
  if (path.size() - nameStart + suffix.size() > kMaxFileName)
    temp.resize(nameStart + kMaxFileName - suffix.size());
  temp += suffix;
  return temp;
}

void WriteFileReplacing(const std::string& path, const std::vector<std::string_view>& pieces) {
  std::string temp = TemporaryNameFor(path, ".XXXXXX");
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) Fail(path, "No temporary file", errno);
  const std::string tempPath(temp.data());
  for (const std::string_view content : pieces) {
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        const int err = n < 0 ? errno : EIO;
        ::close(fd);
        ::unlink(tempPath.c_str());
        Fail(path, "Write failed", err);
      }
      done += static_cast<std::size_t>(n);
    }
  }
  // mkstemp makes the file private; a report is an ordinary file.
  ::fchmod(fd, 0644);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(tempPath.c_str());
    Fail(path, "Write failed", err);
  }
  if (::rename(tempPath.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(tempPath.c_str());
    Fail(path, "Rename failed", err);
  }
}

}  // namespace console
