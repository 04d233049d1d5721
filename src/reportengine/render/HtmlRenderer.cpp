#include "HtmlRenderer.h"

#include <QBuffer>

#include "Fonts.h"

namespace reportengine {

namespace {

QString Mm(double v) {
  return QString::number(v, 'f', 2) + QStringLiteral("mm");
}

QString Box(double x, double y, double w, double h) {
  return QStringLiteral("left:%1;top:%2;width:%3;height:%4").arg(Mm(x), Mm(y), Mm(w), Mm(h));
}

QString Font(const FontSpec& f) {
  return QStringLiteral("font:%1%2%3pt '%4','%5',sans-serif")
      .arg(f.italic ? QStringLiteral("italic ") : QString(),
           f.bold ? QStringLiteral("bold ") : QString(), QString::number(f.pointSize),
           f.family.toHtmlEscaped(), MappedFamily(f.family).toHtmlEscaped());
}

QString Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

QString ElementHtml(const Element& element) {
  if (const auto* r = std::get_if<FilledRect>(&element))
    return QStringLiteral("<div style=\"%1;background:%2\"></div>")
        .arg(Box(r->x, r->y, r->width, r->height), r->color.name());
  if (const auto* l = std::get_if<LineSegment>(&element)) {
    // Lines are horizontal or vertical; each is a thin filled box.
    const double x = std::min(l->x1, l->x2);
    const double y = std::min(l->y1, l->y2);
    const double w = std::max(std::abs(l->x2 - l->x1), l->width);
    const double h = std::max(std::abs(l->y2 - l->y1), l->width);
    return QStringLiteral("<div style=\"%1;background:%2\"></div>")
        .arg(Box(x, y, w, h), l->color.name());
  }
  if (const auto* t = std::get_if<TextRun>(&element))
    return QStringLiteral("<span style=\"left:%1;top:%2;%3;color:%4\">%5</span>")
        .arg(Mm(t->x), Mm(t->y), Font(t->font), t->color.name(), t->text.toHtmlEscaped());
  const auto& p = std::get<PictureBox>(element);
  return QStringLiteral("<img style=\"%1\" alt=\"\" src=\"%2\">")
      .arg(Box(p.x, p.y, p.width, p.height), Png(p.image));
}

}  // namespace

QByteArray RenderHtml(const Document& document) {
  QString out =
      QStringLiteral(
          "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
          "<title>%1</title>\n<style>\n"
          ".page{position:relative;overflow:hidden;margin:0 auto 8mm auto;"
          "width:%2;height:%3;background:#fff;box-shadow:0 0 2mm #888}\n"
          ".page *{position:absolute;margin:0;white-space:pre}\n"
          "a{font:12pt Arial,'Liberation Sans',sans-serif}\n"
          "</style>\n</head>\n<body>\n")
          .arg(document.title.toHtmlEscaped(), Mm(document.pageWidth), Mm(document.pageHeight));
  for (const Page& page : document.pages) {
    out += QStringLiteral("<div class=\"page\">\n");
    for (const Element& element : page.elements) out += ElementHtml(element) + u'\n';
    out += QStringLiteral("</div>\n");
  }
  out += QStringLiteral("</body>\n</html>\n");
  return out.toUtf8();
}

}  // namespace reportengine
