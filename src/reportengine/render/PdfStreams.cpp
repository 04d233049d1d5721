// Qt's PDF writer always deflates its streams. The file is rewritten here
// object by object: each /FlateDecode stream is stored inflated with a
// direct /Length, and the cross-reference table is made anew.
#include <zlib.h>

#include <QList>
#include <QRegularExpression>
#include <algorithm>
#include <stdexcept>

#include "PdfRenderer.h"

namespace reportengine {

namespace {

[[noreturn]] void Fail(const char* what) {
  throw std::runtime_error(std::string("PDF rewrite: ") + what);
}

QByteArray Inflate(const QByteArray& data) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) Fail("zlib does not start");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
  z.avail_in = static_cast<uInt>(data.size());
  QByteArray out;
  char chunk[65536];
  int rc = Z_OK;
  while (rc == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    out.append(chunk, static_cast<qsizetype>(sizeof chunk - z.avail_out));
    if (rc == Z_BUF_ERROR && z.avail_in == 0) break;  // a stream without its end marker
  }
  inflateEnd(&z);
  if (rc != Z_STREAM_END && rc != Z_BUF_ERROR) Fail("a stream does not inflate");
  return out;
}

struct Located {
  int number;
  qsizetype offset;
};

// Object offsets from the cross-reference table at `startxref`.
std::vector<Located> ReadXref(const QByteArray& pdf, qsizetype& xrefAt) {
  const qsizetype start = pdf.lastIndexOf("startxref");
  if (start < 0) Fail("no startxref");
  xrefAt = pdf.mid(start + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
  if (xrefAt <= 0 || !pdf.mid(xrefAt).startsWith("xref")) Fail("no cross-reference table");
  const QList<QByteArray> lines =
      pdf.mid(xrefAt, pdf.indexOf("trailer", xrefAt) - xrefAt).split('\n');
  std::vector<Located> objects;
  int number = 0;
  for (int i = 1; i < lines.size(); ++i) {
    const QList<QByteArray> parts = lines[i].trimmed().split(' ');
    if (parts.size() == 2) {
      number = parts[0].toInt();
    } else if (parts.size() == 3) {
      if (parts[2] == "n") objects.push_back({number, parts[0].toLongLong()});
      ++number;
    }
  }
  std::sort(objects.begin(), objects.end(),
            [](const Located& a, const Located& b) { return a.offset < b.offset; });
  return objects;
}

// The object's bytes with a deflated stream replaced by its inflated form.
QByteArray Rewrite(const QByteArray& object) {
  const qsizetype stream = object.indexOf("stream");
  const qsizetype dictEnd = stream < 0 ? -1 : object.lastIndexOf(">>", stream);
  if (stream < 0 || dictEnd < 0) return object;
  QByteArray dict = object.left(dictEnd);
  if (!dict.contains("/FlateDecode")) return object;
  qsizetype dataStart = stream + 6;
  if (object.mid(dataStart, 2) == "\r\n") {
    dataStart += 2;
  } else if (object[dataStart] == '\n') {
    dataStart += 1;
  }
  const qsizetype dataEnd = object.lastIndexOf("endstream");
  if (dataEnd < dataStart) Fail("a stream has no end");
  const QByteArray data = Inflate(object.mid(dataStart, dataEnd - dataStart));
  static const QRegularExpression filter(QStringLiteral("/Filter\\s*/FlateDecode"));
  static const QRegularExpression length(QStringLiteral("/Length\\s+\\d+(\\s+\\d+\\s+R)?"));
  QString text = QString::fromLatin1(dict);
  text.remove(filter);
  text.replace(length, QStringLiteral("/Length %1").arg(data.size()));
  return text.toLatin1() + object.mid(dictEnd, stream + 6 - dictEnd) + "\n" + data + "\n" +
         object.mid(dataEnd);
}

}  // namespace

QByteArray InflatePdfStreams(const QByteArray& pdf) {
  qsizetype xrefAt = 0;
  const std::vector<Located> objects = ReadXref(pdf, xrefAt);
  if (objects.empty()) Fail("no objects");
  QByteArray out = pdf.left(objects.front().offset);
  std::vector<std::pair<int, qsizetype>> offsets;
  int highest = 0;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const qsizetype end = i + 1 < objects.size() ? objects[i + 1].offset : xrefAt;
    offsets.emplace_back(objects[i].number, out.size());
    highest = std::max(highest, objects[i].number);
    out += Rewrite(pdf.mid(objects[i].offset, end - objects[i].offset));
  }
  std::sort(offsets.begin(), offsets.end());
  const qsizetype newXref = out.size();
  out += "xref\n0 " + QByteArray::number(highest + 1) + "\n0000000000 65535 f \n";
  int next = 1;
  for (const auto& [number, offset] : offsets) {
    for (; next < number; ++next) out += "0000000000 65535 f \n";
    out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    next = number + 1;
  }
  const qsizetype trailer = pdf.indexOf("trailer", xrefAt);
  const qsizetype startxref = pdf.lastIndexOf("startxref");
  out += pdf.mid(trailer, startxref - trailer);
  out += "startxref\n" + QByteArray::number(newXref) + "\n%%EOF\n";
  return out;
}

}  // namespace reportengine
