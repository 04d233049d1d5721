// libFuzzer target: Load Report must take any bytes. A file either loads or
// is refused with a ReportFileError; what loads is written back and loads
// again to the same bytes (compared as bytes, so that NaN coordinates from
// hostile input do not count as a difference).
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ReportFile.h"

using reportengine::ReadReportFile;
using reportengine::ReportFileError;
using reportengine::WriteReportFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  try {
    const QByteArray first = WriteReportFile(ReadReportFile(bytes));
    if (WriteReportFile(ReadReportFile(first)) != first) std::abort();
  } catch (const ReportFileError&) {
  }
  return 0;
}
