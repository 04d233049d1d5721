#include "RtfRenderer.h"

#include <algorithm>
#include <cmath>

#include "Fonts.h"
#include "TextRenderer.h"

namespace reportengine {

namespace {

int Twips(double mm) {
  return static_cast<int>(std::lround(mm * 1440 / 25.4));
}

// Seven-bit RTF: Latin-1 letters as code page 1252 escapes, which every
// reader knows, anything beyond as \u with a '?' for readers without it.
QByteArray Escape(const QString& text) {
  QByteArray out;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u == u'\\' || u == u'{' || u == u'}') {
      out += '\\';
      out += static_cast<char>(u);
    } else if (u >= 0x20 && u < 0x80) {
      out += static_cast<char>(u);
    } else if (u >= 0xA0 && u <= 0xFF) {
      out += "\\'" + QByteArray::number(u, 16);
    } else if (u >= 0x20) {
      out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + '?';
    }
  }
  return out;
}

}  // namespace

QByteArray RenderRtf(const Document& document) {
  // The text's own left and top edges become the margins.
  double left = document.pageWidth;
  double top = document.pageHeight;
  QStringList families;
  for (const Page& page : document.pages) {
    for (const Element& e : page.elements) {
      if (const auto* run = std::get_if<TextRun>(&e)) {
        left = std::min(left, run->x);
        top = std::min(top, run->y);
        if (!families.contains(run->font.family)) families.append(run->font.family);
      }
    }
  }
  if (families.isEmpty()) families.append(QStringLiteral("Arial"));
  left = std::min(left, document.pageWidth / 2);
  top = std::min(top, document.pageHeight / 2);

  QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\n{\\fonttbl";
  for (int i = 0; i < families.size(); ++i)
    out += "{\\f" + QByteArray::number(i) + "\\fswiss " + Escape(families[i]) + ";}";
  out += "}\n{\\info{\\title " + Escape(document.title) + "}}\n";
  out += "\\paperw" + QByteArray::number(Twips(document.pageWidth)) + "\\paperh" +
         QByteArray::number(Twips(document.pageHeight)) + "\\margl" +
         QByteArray::number(Twips(left)) + "\\margr0\\margt" + QByteArray::number(Twips(top)) +
         "\\margb0\n";

  for (std::size_t p = 0; p < document.pages.size(); ++p) {
    double bottom = top;  // where the previous line ended
    bool first = true;
    for (const auto& line : TextLines(document.pages[p])) {
      double height = 0;
      for (const TextRun* run : line) height = std::max(height, run->height);
      out += "\\pard\\plain";
      if (first && p > 0) out += "\\pagebb";
      first = false;
      out += "\\sb" + QByteArray::number(std::max(0, Twips(line.front()->y - bottom)));
      out += "\\sa0\\sl-" + QByteArray::number(Twips(height)) + "\\slmult0";
      for (const TextRun* run : line)
        if (run->x - left > 0.1) out += "\\tx" + QByteArray::number(Twips(run->x - left));
      out += ' ';
      for (const TextRun* run : line) {
        if (run->x - left > 0.1) out += "\\tab ";
        out += "{\\f" + QByteArray::number(families.indexOf(run->font.family)) + "\\fs" +
               QByteArray::number(std::lround(run->font.pointSize * 2));
        if (run->font.bold) out += "\\b";
        if (run->font.italic) out += "\\i";
        out += ' ' + Escape(run->text) + '}';
      }
      out += "\\par\n";
      bottom = line.front()->y + height;
    }
  }
  out += "}\n";
  return out;
}

}  // namespace reportengine
