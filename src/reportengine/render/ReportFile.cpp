#include "ReportFile.h"

#include <QDataStream>
#include <QIODevice>

namespace reportengine {

namespace {

constexpr quint32 kMagic = 0x54425250;  // "TBRP"
constexpr quint16 kVersion = 1;
constexpr auto kStreamVersion = QDataStream::Qt_6_4;

enum Tag : quint8 { kFill = 1, kLine = 2, kText = 3, kPicture = 4 };

QDataStream& operator<<(QDataStream& s, const FontSpec& f) {
  return s << f.family << f.pointSize << f.bold << f.italic;
}
QDataStream& operator>>(QDataStream& s, FontSpec& f) {
  return s >> f.family >> f.pointSize >> f.bold >> f.italic;
}

void Write(QDataStream& s, const Element& element) {
  if (const auto* r = std::get_if<FilledRect>(&element)) {
    s << quint8(kFill) << r->x << r->y << r->width << r->height << r->color;
  } else if (const auto* l = std::get_if<LineSegment>(&element)) {
    s << quint8(kLine) << l->x1 << l->y1 << l->x2 << l->y2 << l->width << l->color;
  } else if (const auto* t = std::get_if<TextRun>(&element)) {
    s << quint8(kText) << t->x << t->y << t->width << t->height << t->ascent << t->text << t->font
      << t->color;
  } else {
    const auto& p = std::get<PictureBox>(element);
    s << quint8(kPicture) << p.x << p.y << p.width << p.height << p.image;
  }
}

Element Read(QDataStream& s) {
  quint8 tag = 0;
  s >> tag;
  switch (tag) {
    case kFill: {
      FilledRect r;
      s >> r.x >> r.y >> r.width >> r.height >> r.color;
      return r;
    }
    case kLine: {
      LineSegment l;
      s >> l.x1 >> l.y1 >> l.x2 >> l.y2 >> l.width >> l.color;
      return l;
    }
    case kText: {
      TextRun t;
      s >> t.x >> t.y >> t.width >> t.height >> t.ascent >> t.text >> t.font >> t.color;
      return t;
    }
    case kPicture: {
      PictureBox p;
      s >> p.x >> p.y >> p.width >> p.height >> p.image;
      return p;
    }
  }
  if (s.status() != QDataStream::Ok) throw ReportFileError("The report file is truncated.");
  throw ReportFileError("The report file is damaged.");
}

}  // namespace

QByteArray WriteReportFile(const Document& document) {
  QByteArray bytes;
  QDataStream s(&bytes, QIODevice::WriteOnly);
  s.setVersion(kStreamVersion);
  s << kMagic << kVersion << document.title << document.pageWidth << document.pageHeight
    << document.warnings << quint32(document.pages.size());
  for (const Page& page : document.pages) {
    s << quint32(page.elements.size());
    for (const Element& element : page.elements) Write(s, element);
  }
  return bytes;
}

Document ReadReportFile(const QByteArray& bytes) {
  QDataStream s(bytes);
  s.setVersion(kStreamVersion);
  quint32 magic = 0;
  quint16 version = 0;
  s >> magic;
  if (magic != kMagic) throw ReportFileError("The file is not a saved report.");
  s >> version;
  if (version != kVersion)
    throw ReportFileError(QStringLiteral("The report file has format version %1; this program "
                                         "reads version %2.")
                              .arg(version)
                              .arg(kVersion)
                              .toStdString());
  Document document;
  // Every warning, page and element takes at least four bytes: a count
  // beyond what is left is a damaged file, not a reason to allocate.
  const auto plausible = [&](quint32 count) {
    return s.status() == QDataStream::Ok && count <= s.device()->bytesAvailable() / 4 + 1;
  };
  quint32 warnings = 0;
  s >> document.title >> document.pageWidth >> document.pageHeight >> warnings;
  // Read one by one: the stream's own list reader reserves the whole count
  // before it reads a single text.
  if (!plausible(warnings)) throw ReportFileError("The report file is truncated.");
  for (quint32 i = 0; i < warnings && s.status() == QDataStream::Ok; ++i) {
    QString warning;
    s >> warning;
    document.warnings << warning;
  }
  quint32 pages = 0;
  s >> pages;
  if (!plausible(pages)) throw ReportFileError("The report file is truncated.");
  document.pages.resize(pages);
  for (Page& page : document.pages) {
    quint32 elements = 0;
    s >> elements;
    if (!plausible(elements)) throw ReportFileError("The report file is truncated.");
    page.elements.reserve(elements);
    for (quint32 i = 0; i < elements; ++i) page.elements.push_back(Read(s));
  }
  if (s.status() != QDataStream::Ok) throw ReportFileError("The report file is truncated.");
  if (!s.atEnd()) throw ReportFileError("The report file is damaged.");
  return document;
}

}  // namespace reportengine
