#include "scalecheck/xlsx_file.h"

#include <cstdio>

#include "base/zip_writer.h"

namespace scalecheck {

namespace {

// Text for XML content and attributes. Control characters other than tab
// and line ends are not allowed in XML 1.0 and are left out.
std::string xmlText(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') break;
        out += ch;
    }
  }
  return out;
}

const char* const kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

std::string contentTypes() {
  return std::string(kXmlHead) +
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/xl/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
         "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
         "<Override PartName=\"/xl/styles.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
         "</Types>";
}

std::string packageRels() {
  return std::string(kXmlHead) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
         "Target=\"xl/workbook.xml\"/></Relationships>";
}

std::string workbook(const std::string& sheetName) {
  return std::string(kXmlHead) + "<workbook xmlns=\"" + kMain + "\" xmlns:r=\"" + kRelNs + "\"><sheets><sheet name=\"" +
         xmlText(sheetName) + "\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
}

std::string workbookRels() {
  return std::string(kXmlHead) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
         "Target=\"worksheets/sheet1.xml\"/>"
         "<Relationship Id=\"rId2\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
         "Target=\"styles.xml\"/></Relationships>";
}

// Style 0: plain text format ("@"); style 1: the same in bold.
std::string styles() {
  return std::string(kXmlHead) + "<styleSheet xmlns=\"" + kMain +
         "\">"
         "<fonts count=\"2\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font>"
         "<font><b/><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
         "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
         "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
         "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
         "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
         "<cellXfs count=\"2\">"
         "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
         "<xf numFmtId=\"49\" fontId=\"1\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\" "
         "applyFont=\"1\"/>"
         "</cellXfs>"
         "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
         "</styleSheet>";
}

std::string sheet(const XlsxTable& t) {
  std::string s = std::string(kXmlHead) + "<worksheet xmlns=\"" + kMain + "\">";
  if (!t.ColumnWidths.empty()) {
    s += "<cols>";
    for (size_t c = 0; c < t.ColumnWidths.size(); ++c) {
      // Widths are counted in characters of about 7 pixels, plus padding.
      char w[32];
      std::snprintf(w, sizeof w, "%.2f", t.ColumnWidths[c] / 7.0 + 0.71);
      const std::string n = std::to_string(c + 1);
      s += "<col min=\"" + n + "\" max=\"" + n + "\" width=\"" + w + "\" customWidth=\"1\"/>";
    }
    s += "</cols>";
  }
  s += "<sheetData>";
  for (size_t r = 0; r < t.Rows.size(); ++r) {
    const std::string row = std::to_string(r + 1);
    s += "<row r=\"" + row + "\">";
    for (size_t c = 0; c < t.Rows[r].size(); ++c) {
      s += "<c r=\"" + XlsxColumnName(static_cast<int>(c)) + row + "\" s=\"" + (r == 0 ? "1" : "0") + "\"";
      // An empty text leaves the cell blank but formatted, as the
      // spreadsheet itself keeps a cell given an empty value.
      if (t.Rows[r][c].empty()) {
        s += "/>";
        continue;
      }
      s += " t=\"inlineStr\"><is><t xml:space=\"preserve\">" + xmlText(t.Rows[r][c]) + "</t></is></c>";
    }
    s += "</row>";
  }
  s += "</sheetData></worksheet>";
  return s;
}

}  // namespace

std::string XlsxColumnName(int column) {
  std::string name;
  for (int n = column + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

std::string XlsxBytes(const XlsxTable& table) {
  base::ZipWriter zip;
  zip.add("[Content_Types].xml", contentTypes());
  zip.add("_rels/.rels", packageRels());
  zip.add("xl/workbook.xml", workbook(table.SheetName));
  zip.add("xl/_rels/workbook.xml.rels", workbookRels());
  zip.add("xl/styles.xml", styles());
  zip.add("xl/worksheets/sheet1.xml", sheet(table));
  return zip.finish();
}

}  // namespace scalecheck
