#!/usr/bin/env python3
"""The markup benchmark's two helpers.

make DIR   writes DIR/page900.html: a Shift-JIS page of about 900 KB with
           headings, paragraphs, links and tables.
text FILE  prints the page's text as Python's html.parser extracts it (the
           data between the tags, without style and script), in UTF-8.
"""
import html.parser
import sys


def make(folder):
    words = ["売上", "在庫", "東京", "大阪", "報告", "集計", "data", "value", "品目", "合計"]
    parts = []
    size = 0

    def put(text):
        nonlocal size
        data = text.encode("cp932")
        parts.append(data)
        size += len(data)

    put('<html><head><meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">'
        "<title>ベンチマーク</title><style>td { color: red }</style></head><body>\n")
    link = 0
    section = 0
    while size < 900 * 1024:
        section += 1
        put("<h2>第%d節 %s</h2>\n" % (section, words[section % 10]))
        for k in range(3):
            text = " ".join(words[(section + k + j) % 10] + str(section * 7 + j) for j in range(12))
            if link < 600:  # the address list holds 640
                link += 1
                put('<p>%s <a href="https://example.com/p/%d">リンク%d</a> %s</p>\n' % (text, link, link, text))
            else:
                put("<p><b>%s</b> %s</p>\n" % (text, text))
        put("<table border=1>\n<tr><th>品目</th><th>数量</th><th>単価</th><th>備考</th></tr>\n")
        for r in range(8):
            put("<tr><td>%s%d</td><td>%d</td><td>%d.%02d</td><td>%s</td></tr>\n"
                % (words[(section + r) % 10], r, section * 13 + r, r * 17, section % 100, words[r % 10] * 2))
        put("</table>\n")
    put("</body></html>\n")
    with open(folder + "/page900.html", "wb") as f:
        f.write(b"".join(parts))


class Text(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.out = []
        self.skip = 0

    def handle_starttag(self, tag, attrs):
        if tag in ("style", "script"):
            self.skip += 1

    def handle_endtag(self, tag):
        if tag in ("style", "script") and self.skip:
            self.skip -= 1

    def handle_data(self, data):
        if not self.skip:
            self.out.append(data)


def text(path):
    with open(path, "rb") as f:
        page = f.read().decode("cp932")
    p = Text()
    p.feed(page)
    p.close()
    sys.stdout.buffer.write("\n".join(p.out).encode("utf-8"))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        text(sys.argv[2])
