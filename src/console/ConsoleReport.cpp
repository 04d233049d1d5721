#include "ConsoleReport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "ConsoleOutput.h"
#include "DateTimeText.h"
#include "NumberText.h"
#include "StopSignals.h"

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

namespace {

// An open temporary file that is removed again unless it was renamed into
// its place.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& target) {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
      std::string suffix = ".";
      for (int i = 0; i < 6; ++i) suffix += kLetters[random() % (sizeof kLetters - 1)];
      path_ = TemporaryNameFor(target, suffix);
      // 0666 so that the process umask decides, as for any file it creates.
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) Fail(target, "No temporary file", errno);
  }
  ~TemporaryFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  // Closes the file; the errno of a failed close, or 0.
  int Close() {
    const int rc = ::close(fd_);
    fd_ = -1;
    return rc == 0 ? 0 : errno;
  }
  // The file is in its place now and no longer ours to remove.
  void Keep() { path_.clear(); }

 private:
  int fd_ = -1;
  std::string path_;
};

// A report that replaces an older one keeps the older one's mode and, where
// the owner may set it, its group: the administrator's choice outlives the
// run.
void TakeOverModeOf(const std::string& path, int fd) {
  struct stat old {};
  if (::stat(path.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return;
  struct stat mine {};
  if (::fstat(fd, &mine) == 0 && mine.st_gid != old.st_gid) {
    if (::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
      // Not a group of ours: the file keeps our group, so it must not give
      // that group the older file's group rights.
      ::fchmod(fd, old.st_mode & 0707);
      return;
    }
  }
  ::fchmod(fd, old.st_mode & 0777);
}

}  // namespace

void WriteFileReplacing(const std::string& path, const std::vector<std::string_view>& pieces) {
  TemporaryFile temp(path);
  for (const std::string_view content : pieces) {
    // The temporary goes with the exception: no partial report is left.
    StopPoint();
    std::size_t done = 0;
    while (done < content.size()) {
      const ssize_t n = ::write(temp.fd(), content.data() + done, content.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) Fail(path, "Write failed", n < 0 ? errno : EIO);
      done += static_cast<std::size_t>(n);
    }
  }
  StopPoint();
  TakeOverModeOf(path, temp.fd());
  if (const int err = temp.Close(); err != 0) Fail(path, "Write failed", err);
  if (::rename(temp.path().c_str(), path.c_str()) != 0) Fail(path, "Rename failed", errno);
  temp.Keep();
}

}  // namespace console
