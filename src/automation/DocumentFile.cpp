// The .docx form of a document: WordprocessingML parts in a zip (minizip).
#include <minizip/zip.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "DocumentModel.h"

namespace automation::server {
namespace {

constexpr const char* kMain =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// Text as XML character data. Characters XML 1.0 cannot hold are kept
// visible instead of being dropped: tab and line breaks become their
// elements, other control characters their control pictures (U+2400 on).
std::string RunText(const std::string& text) {
  std::string out = "<w:t xml:space=\"preserve\">";
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\t':
        out += "</w:t><w:tab/><w:t xml:space=\"preserve\">";
        break;
      case '\r':
      case '\n':
        out += "</w:t><w:br/><w:t xml:space=\"preserve\">";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          const unsigned picture = c == 0x7F ? 0x2421 : 0x2400 + c;
          out += static_cast<char>(0xE0 | (picture >> 12));
          out += static_cast<char>(0x80 | ((picture >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (picture & 0x3F));
        } else {
          out += ch;
        }
    }
  }
  return out + "</w:t>";
}

std::string Attribute(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '"')
      out += "&quot;";
    else if (static_cast<unsigned char>(c) >= 0x20)
      out += c;
  }
  return out;
}

std::string RunProperties(const TextFont& f) {
  std::string out = "<w:rPr>";
  if (f.name)
    out += "<w:rFonts w:ascii=\"" + Attribute(*f.name) + "\" w:hAnsi=\"" + Attribute(*f.name) +
           "\" w:cs=\"" + Attribute(*f.name) + "\"/>";
  if (f.bold) out += "<w:b/>";
  if (f.italic) out += "<w:i/>";
  if (f.underline) out += "<w:u w:val=\"single\"/>";
  if (f.size) out += "<w:sz w:val=\"" + std::to_string(std::lround(*f.size * 2)) + "\"/>";
  return out + "</w:rPr>";
}

std::string ParagraphXml(const std::vector<Run>& runs) {
  std::string out = "<w:p>";
  for (const Run& run : runs)
    out += "<w:r>" + RunProperties(run.font) + RunText(run.text) + "</w:r>";
  return out + "</w:p>";
}

std::string TableXml(const Table& t) {
  std::string out = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/>";
  if (t.borders) {
    out += "<w:tblBorders>";
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
      out += std::string("<w:") + side +
             " w:val=\"single\" w:sz=\"4\" w:space=\"0\" w:color=\"000000\"/>";
    out += "</w:tblBorders>";
  }
  out += std::string("<w:tblLayout w:type=\"") + (t.fitToContents ? "autofit" : "fixed") +
         "\"/></w:tblPr><w:tblGrid>";
  for (int c = 0; c < t.columns; ++c) out += "<w:gridCol w:w=\"1800\"/>";
  out += "</w:tblGrid>";
  for (int r = 1; r <= t.rows; ++r) {
    out += "<w:tr>";
    for (int c = 1; c <= t.columns; ++c) {
      const TableCell& cell = t.At(r, c);
      out += "<w:tc><w:tcPr><w:tcW w:w=\"0\" w:type=\"auto\"/></w:tcPr>";
      out += cell.text.empty() ? "<w:p/>" : ParagraphXml({Run{cell.text, cell.font}});
      out += "</w:tc>";
    }
    out += "</w:tr>";
  }
  return out + "</w:tbl>";
}

std::string DocumentXml(const Document& d) {
  std::string out = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") +
                    "<w:document " + kMain + "><w:body>";
  for (const auto& block : d.body) {
    if (const auto* p = std::get_if<Paragraph>(&block))
      out += ParagraphXml(p->runs);
    else
      out += TableXml(std::get<Table>(block));
  }
  out +=
      "<w:sectPr><w:footerReference w:type=\"default\" r:id=\"rIdFooter1\"/>"
      "<w:pgSz w:w=\"12240\" w:h=\"15840\"/>"
      "<w:pgMar w:top=\"1440\" w:right=\"1440\" w:bottom=\"1440\" w:left=\"1440\" "
      "w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>";
  return out + "</w:body></w:document>";
}

std::string FooterXml(const Document& d) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n") +
         "<w:ftr " + kMain + ">" + ParagraphXml({Run{d.footer, {}}}) + "</w:ftr>";
}

constexpr const char* kContentTypes =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
    "<Default Extension=\"rels\" "
    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
    "<Override PartName=\"/word/document.xml\" "
    "ContentType=\"application/"
    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
    "<Override PartName=\"/word/footer1.xml\" "
    "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml\"/>"
    "</Types>";

constexpr const char* kPackageRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"word/document.xml\"/></Relationships>";

constexpr const char* kDocumentRels =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rIdFooter1\" "
    "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer\" "
    "Target=\"footer1.xml\"/></Relationships>";

}  // namespace

std::string WriteDocument(const Document& document, const std::string& path) {
  const std::vector<std::pair<const char*, std::string>> parts = {
      {"[Content_Types].xml", kContentTypes},       {"_rels/.rels", kPackageRels},
      {"word/document.xml", DocumentXml(document)}, {"word/_rels/document.xml.rels", kDocumentRels},
      {"word/footer1.xml", FooterXml(document)},
  };
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) return "Cannot create " + path;
  std::string error;
  for (const auto& [name, text] : parts) {
    zip_fileinfo info{};
    if (zipOpenNewFileInZip64(zip, name, &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                              Z_DEFAULT_COMPRESSION, 1) != ZIP_OK ||
        zipWriteInFileInZip(zip, text.data(), static_cast<unsigned>(text.size())) != ZIP_OK ||
        zipCloseFileInZip(zip) != ZIP_OK) {
      error = "Cannot write " + path;
      break;
    }
  }
  if (zipClose(zip, nullptr) != ZIP_OK && error.empty()) error = "Cannot write " + path;
  return error;
}

}  // namespace automation::server
