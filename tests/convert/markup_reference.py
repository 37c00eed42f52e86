"""What Python reads from a page or a sheet, for the markup engine's tests.

  words PAGE   the words of the text html.parser collects outside script and
               style, one a line (UTF-8)
  rows PAGE    per table row the texts of its cells, tab-separated
  sheet XML    per row of sheetData the texts of the <v> and <t> of its cells,
               tab-separated (ElementTree)
  book DIR     writes an openpyxl workbook's sheet to DIR/sheet1.xml
"""
import re
import sys
import xml.etree.ElementTree as ET
import zipfile
from html.parser import HTMLParser


class Words(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.skip = 0
        self.text = []

    def handle_starttag(self, tag, attrs):
        if tag in ("script", "style"):
            self.skip += 1

    def handle_endtag(self, tag):
        if tag in ("script", "style") and self.skip:
            self.skip -= 1

    def handle_data(self, data):
        if not self.skip:
            self.text.append(data)


class Rows(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows = []
        self.cell = None

    def handle_starttag(self, tag, attrs):
        if tag == "tr":
            self.rows.append([])
        elif tag in ("td", "th"):
            self.cell = []

    def handle_endtag(self, tag):
        if tag in ("td", "th") and self.cell is not None:
            self.rows[-1].append(" ".join("".join(self.cell).split()))
            self.cell = None

    def handle_data(self, data):
        if self.cell is not None:
            self.cell.append(data)


def main():
    what, path = sys.argv[1], sys.argv[2]
    out = sys.stdout
    if what == "words":
        p = Words()
        p.feed(open(path, encoding="utf-8-sig").read())
        # ASCII white space only: the ideographic blank belongs to a word.
        words = [w for w in re.split(r"[ \t\n\r\f]+", " ".join(p.text)) if w]
        out.write("\n".join(words) + "\n")
    elif what == "rows":
        p = Rows()
        p.feed(open(path, encoding="utf-8").read())
        for row in p.rows:
            out.write("\t".join(c for c in row if c) + "\n")
    elif what == "sheet":
        ns = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}
        root = ET.parse(path).getroot()
        for row in root.find("m:sheetData", ns).findall("m:row", ns):
            cells = []
            for c in row.findall("m:c", ns):
                texts = [e.text or "" for e in c.iter() if e.tag.split("}")[1] in ("v", "t")]
                cells.append("".join(texts))
            out.write("\t".join(x for x in cells if x) + "\n")
    elif what == "book":
        import openpyxl
        wb = openpyxl.Workbook()
        ws = wb.active
        ws.append(["Name", "Count", "Price"])
        ws.append(["apple", 12, 1.5])
        ws.append(["long banana name", 7, 0.25])
        ws.append([None, 3, "x"])
        wb.save(path + "/book.xlsx")
        with zipfile.ZipFile(path + "/book.xlsx") as z:
            open(path + "/sheet1.xml", "wb").write(z.read("xl/worksheets/sheet1.xml"))


main()
