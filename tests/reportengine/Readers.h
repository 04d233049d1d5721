// Independent readers run as processes on the files the engine writes.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <nlohmann/json.hpp>

namespace reportengine::test {

struct ToolRun {
  int exitCode = -1;
  QString out;
};

// The tool's output is UTF-8 unless `latin1`.
inline ToolRun RunTool(const QString& program, const QStringList& args, bool latin1 = false) {
  QProcess process;
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(program, args);
  ToolRun run;
  if (!process.waitForFinished(60000)) return run;
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  const QByteArray out = process.readAllStandardOutput();
  run.out = latin1 ? QString::fromLatin1(out) : QString::fromUtf8(out);
  return run;
}

// A reader script of this folder, its JSON output parsed.
inline nlohmann::json RunReader(const char* script, const QString& path) {
  const ToolRun run =
      RunTool(QStringLiteral(TABRIX_PYTHON), {QStringLiteral(TABRIX_TEST_DIR "/") + script, path});
  if (run.exitCode != 0) return nlohmann::json();
  return nlohmann::json::parse(run.out.toStdString());
}

}  // namespace reportengine::test
