// What a target application's jobs write inside the export frame: the new
// workbook or document with its title and header, one record, and the
// job's own finishing. Every call may raise automation::EOleError.
#pragma once

#include <memory>

#include "ExportJobs.h"
#include "OleAuto.h"

namespace gui {

class TfrmProgress;

class TExportWriter {
 public:
  virtual ~TExportWriter() = default;
  // Creates the target object and writes the title and the header row;
  // `count` is the number of records to come.
  virtual void Begin(int count) = 0;
  virtual void WriteRecord(int index) = 0;
  // The job's finishing, after a complete loop, a stop or a shown error;
  // `counter` is the frame's record counter. Does nothing for what was
  // never obtained.
  virtual void Finish(int counter) = 0;
};

std::unique_ptr<TExportWriter> MakeSheetWriter(const TExportJob& job, const TfrmProgress& dialog,
                                               automation::OleObject application);
std::unique_ptr<TExportWriter> MakeDocumentWriter(const TExportJob& job, const TfrmProgress& dialog,
                                                  automation::OleObject application);

}  // namespace gui
