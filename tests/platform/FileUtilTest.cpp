// The file helpers under the stand-ins: only regular files are opened, and
// nothing else makes them wait.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "FileUtil.h"
#include "TempMachineRoot.h"

namespace {

using platform::detail::Fd;
using platform::detail::OpenRegularFile;
using platform::detail::ReadWholeFile;

TEST(OpenRegularFile, RefusesWhatIsNotARegularFile) {
  platform::testing::TempMachineRoot root;
  const std::string regular = root.path() + "/regular.txt";
  std::ofstream(regular) << "text";
  const std::string fifo = root.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  // The test holds both ends, so that even a blocking open would return.
  const Fd holder(::open(fifo.c_str(), O_RDWR | O_NONBLOCK));
  ASSERT_GE(holder.get(), 0);
  const struct {
    const char* why;
    std::string path;
    int flags;
    int wantErrno;  // 0: opened
  } cases[] = {
      {"regular file for reading", regular, O_RDONLY, 0},
      {"regular file for appending", regular, O_WRONLY | O_APPEND, 0},
      {"new file", root.path() + "/new.txt", O_WRONLY | O_CREAT, 0},
      {"missing file", root.path() + "/missing.txt", O_RDONLY, ENOENT},
      {"FIFO for reading", fifo, O_RDONLY, EACCES},
      {"FIFO for appending", fifo, O_WRONLY | O_APPEND | O_CREAT, EACCES},
      {"character device", "/dev/null", O_WRONLY, EACCES},
      {"folder", root.path(), O_RDONLY, EACCES},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    errno = 0;
    const Fd fd(OpenRegularFile(c.path, c.flags, 0644));
    EXPECT_EQ(fd.get() >= 0 ? 0 : errno, c.wantErrno);
    // What is handed out blocks as usual.
    if (fd.get() >= 0) {
      EXPECT_EQ(::fcntl(fd.get(), F_GETFL) & O_NONBLOCK, 0);
    }
  }
}

TEST(ReadWholeFile, ReadsRegularFilesOnly) {
  platform::testing::TempMachineRoot root;
  const std::string regular = root.path() + "/regular.txt";
  std::ofstream(regular) << "line one\nline two\n";
  EXPECT_EQ(ReadWholeFile(regular), "line one\nline two\n");
  EXPECT_EQ(ReadWholeFile(regular, 5), std::nullopt);  // larger than allowed
  // A device is refused, not read: /dev/null would read as an empty file.
  EXPECT_EQ(ReadWholeFile("/dev/null"), std::nullopt);
}

}  // namespace
