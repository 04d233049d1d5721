#include "WmfRenderer.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace reportengine {

namespace {

// Record functions.
constexpr quint16 kSetBkMode = 0x0102;
constexpr quint16 kSetMapMode = 0x0103;
constexpr quint16 kSelectObject = 0x012D;
constexpr quint16 kSetTextAlign = 0x012E;
constexpr quint16 kDeleteObject = 0x01F0;
constexpr quint16 kSetTextColor = 0x0209;
constexpr quint16 kSetWindowOrg = 0x020B;
constexpr quint16 kSetWindowExt = 0x020C;
constexpr quint16 kLineTo = 0x0213;
constexpr quint16 kMoveTo = 0x0214;
constexpr quint16 kCreatePen = 0x02FA;
constexpr quint16 kCreateFont = 0x02FB;
constexpr quint16 kCreateBrush = 0x02FC;
constexpr quint16 kRectangle = 0x041B;
constexpr quint16 kTextOut = 0x0521;
constexpr quint16 kStretchDib = 0x0F43;

constexpr int kUnitsPerMm = 100;

qint16 U(double mm) {
  return static_cast<qint16>(std::clamp<long>(std::lround(mm * kUnitsPerMm), -32768, 32767));
}

quint32 ColorRef(const QColor& c) {
  return static_cast<quint32>(c.red()) | static_cast<quint32>(c.green()) << 8 |
         static_cast<quint32>(c.blue()) << 16;
}

class Writer {
 public:
  void Add(quint16 function, const QByteArray& params) {
    const quint32 words = static_cast<quint32>(3 + params.size() / 2);
    Put32(records_, words);
    Put16(records_, function);
    records_ += params;
    maxRecord_ = std::max(maxRecord_, words);
  }
  static void Put16(QByteArray& b, quint16 v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>(v >> 8);
  }
  static void Put32(QByteArray& b, quint32 v) {
    Put16(b, static_cast<quint16>(v & 0xFFFF));
    Put16(b, static_cast<quint16>(v >> 16));
  }
  static QByteArray Words(std::initializer_list<qint32> values) {
    QByteArray b;
    for (qint32 v : values) Put16(b, static_cast<quint16>(v));
    return b;
  }

  // Objects go into the lowest free slot of the playback's object table;
  // a new one is selected before the one it replaces is deleted.
  void Replace(int& current, quint16 create, const QByteArray& params) {
    Add(create, params);
    const int slot = static_cast<int>(std::find(used_.begin(), used_.end(), false) - used_.begin());
    if (slot == static_cast<int>(used_.size())) used_.push_back(false);
    used_[slot] = true;
    Add(kSelectObject, Words({slot}));
    if (current >= 0) {
      Add(kDeleteObject, Words({current}));
      used_[current] = false;
    }
    current = slot;
  }

  QByteArray Finish(double widthMm, double heightMm) {
    Add(0x0000, {});  // end of file
    QByteArray out;
    // Placeable header: key, handle, bounding box, units per inch, reserved,
    // then the XOR of the ten words before it.
    QByteArray placeable;
    Put32(placeable, 0x9AC6CDD7);
    placeable += Words({0, 0, 0, U(widthMm), U(heightMm), kUnitsPerMm * 254 / 10});
    Put32(placeable, 0);
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2)
      checksum ^= static_cast<quint16>(static_cast<quint8>(placeable[i]) |
                                       static_cast<quint8>(placeable[i + 1]) << 8);
    Put16(placeable, checksum);
    out += placeable;
    // Memory metafile header, nine words, version 3.0.
    out += Words({1, 9, 0x0300});
    Put32(out, static_cast<quint32>(9 + records_.size() / 2));
    Put16(out, static_cast<quint16>(std::max<std::size_t>(used_.size(), 1)));
    Put32(out, maxRecord_);
    Put16(out, 0);
    return out + records_;
  }

 private:
  QByteArray records_;
  quint32 maxRecord_ = 0;
  std::vector<bool> used_;
};

QByteArray FontParams(const FontSpec& f) {
  QByteArray b = Writer::Words({-U(f.pointSize * 25.4 / 72), 0, 0, 0, f.bold ? 700 : 400});
  b += static_cast<char>(f.italic ? 1 : 0);
  b += QByteArray(3, '\0');      // underline, strike-out, ANSI character set
  b += QByteArray(3, '\0');      // default precisions and quality
  b += static_cast<char>(0x22);  // variable pitch, swiss family
  QByteArray face = f.family.toLatin1().left(31);
  face.append(QByteArray(32 - face.size(), '\0'));
  return b + face;
}

QByteArray Dib(const QImage& picture) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB888);
  const int stride = (image.width() * 3 + 3) & ~3;
  QByteArray b;
  Writer::Put32(b, 40);
  Writer::Put32(b, static_cast<quint32>(image.width()));
  Writer::Put32(b, static_cast<quint32>(image.height()));  // bottom-up rows
  b += Writer::Words({1, 24});
  Writer::Put32(b, 0);  // uncompressed
  Writer::Put32(b, static_cast<quint32>(stride * image.height()));
  for (int i = 0; i < 4; ++i) Writer::Put32(b, 0);
  for (int y = image.height() - 1; y >= 0; --y) {
    const uchar* line = image.constScanLine(y);
    QByteArray row(stride, '\0');
    for (int x = 0; x < image.width(); ++x) {
      row[x * 3] = static_cast<char>(line[x * 3 + 2]);  // blue, green, red
      row[x * 3 + 1] = static_cast<char>(line[x * 3 + 1]);
      row[x * 3 + 2] = static_cast<char>(line[x * 3]);
    }
    b += row;
  }
  return b;
}

}  // namespace

QString WmfPagePath(const QString& path, std::size_t page) {
  if (page <= 1) return path;
  const QFileInfo info(path);
  const QString name = info.completeBaseName() + QStringLiteral("_%1").arg(page) +
                       (info.suffix().isEmpty() ? QString() : u'.' + info.suffix());
  return info.dir().filePath(name);
}

QByteArray RenderWmf(const Document& document, std::size_t page) {
  Writer w;
  w.Add(kSetMapMode, Writer::Words({8}));  // anisotropic: the window below is the page
  w.Add(kSetWindowOrg, Writer::Words({0, 0}));
  w.Add(kSetWindowExt, Writer::Words({U(document.pageHeight), U(document.pageWidth)}));
  w.Add(kSetBkMode, Writer::Words({1}));      // transparent
  w.Add(kSetTextAlign, Writer::Words({24}));  // left, on the baseline
  int pen = -1;
  int brush = -1;
  int font = -1;
  std::optional<FontSpec> fontShown;
  std::optional<QColor> textColor;
  static const Page kBlank;
  const Page& shown = page < document.pages.size() ? document.pages[page] : kBlank;
  for (const Element& e : shown.elements) {
    if (const auto* r = std::get_if<FilledRect>(&e)) {
      QByteArray params = Writer::Words({0});
      Writer::Put32(params, ColorRef(r->color));
      params += Writer::Words({0});
      w.Replace(brush, kCreateBrush, params);
      QByteArray none = Writer::Words({5, 0, 0});  // a null pen: no outline
      Writer::Put32(none, 0);
      w.Replace(pen, kCreatePen, none);
      w.Add(kRectangle, Writer::Words({U(r->y + r->height), U(r->x + r->width), U(r->y), U(r->x)}));
    } else if (const auto* l = std::get_if<LineSegment>(&e)) {
      QByteArray params = Writer::Words({0, U(l->width), 0});
      Writer::Put32(params, ColorRef(l->color));
      w.Replace(pen, kCreatePen, params);
      w.Add(kMoveTo, Writer::Words({U(l->y1), U(l->x1)}));
      w.Add(kLineTo, Writer::Words({U(l->y2), U(l->x2)}));
    } else if (const auto* t = std::get_if<TextRun>(&e)) {
      if (fontShown != t->font) {
        w.Replace(font, kCreateFont, FontParams(t->font));
        fontShown = t->font;
      }
      if (textColor != t->color) {
        QByteArray params;
        Writer::Put32(params, ColorRef(t->color));
        w.Add(kSetTextColor, params);
        textColor = t->color;
      }
      QByteArray text = t->text.toLatin1().left(32767);
      QByteArray params = Writer::Words({static_cast<qint32>(text.size())});
      if (text.size() % 2) text += '\0';
      params += text + Writer::Words({U(t->y + t->ascent), U(t->x)});
      w.Add(kTextOut, params);
    } else if (const auto* p = std::get_if<PictureBox>(&e)) {
      QByteArray params;
      Writer::Put32(params, 0x00CC0020);  // copy the source
      params += Writer::Words({0, p->image.height(), p->image.width(), 0, 0, U(p->height),
                               U(p->width), U(p->y), U(p->x)});
      w.Add(kStretchDib, params + Dib(p->image));
    }
  }
  return w.Finish(document.pageWidth, document.pageHeight);
}

}  // namespace reportengine
