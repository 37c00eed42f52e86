#!/usr/bin/python3
"""The outside checks of workbooks with charts, written from generated tables.

    chart_oracle.py corpus DIR   writes one table per chart kind (CASE.csv,
                                 Shift-JIS) and what its workbook must hold
                                 (CASE.json); prints the case names
    chart_oracle.py check DIR    checks every DIR/CASE.xlsx; one line per
                                 problem, exit 1 when there is any
    chart_oracle.py odscheck DIR has LibreOffice convert every workbook to
                                 ODS in one run and checks each chart's class,
                                 series count and title there
    chart_oracle.py pdfcheck DIR has LibreOffice print every workbook to PDF
                                 in one run; pdftotext must show each title,
                                 and the page of the Auto-coloured bar chart,
                                 rasterised by pdftoppm, must show green, blue
                                 and red bars inside its plot area

Per workbook: xmllint --noout on every chart and drawing part, the package
checker of the export tests, and openpyxl, which must load the workbook and
find the charts with their series counts and titles.
"""
import json
import os
import subprocess
import sys
import tempfile
import time
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(os.path.dirname(HERE), "xlsx_check.py")

TABLE = [
    "月,東,西,北,南,重さ",
    "1月,10,20,30,5,1",
    "2月,12,18,33,7,2",
    "3月,15,22,29,6,3",
    "4月,11,25,35,9,2",
    "5月,17,21,31,8,4",
]

# name: (kind, data lines, expected series, placement, extra lines)
PIXELS = "10,120,400,300"
START = "H2,420,280"
RANGE = "H2,N20"
CASES = {
    "bar": ("Bar", ["B2:B6", "C2:C6", "D2:D6"], 3, PIXELS, ["zname,東^西^北", "zcolr,Auto", "sampl,1"]),
    "barh": ("BarH", ["B2:B6", "C2:C6"], 2, START, ["zname,cell^B1:C1", "xname,A2:A6"]),
    "stack": ("Bar Stack", ["B2:B6", "C2:C6"], 2, RANGE, ["zlabel,Y^Y"]),
    "stack100": ("Bar Stack 100", ["B2:B6", "C2:C6"], 2, PIXELS, []),
    "bar3d": ("Bar 3D", ["B2:B6", "C2:C6"], 2, PIXELS, ["3D,20,30"]),
    "barline": ("BarLine", ["B2:B6", "C2:C6", "D2:D6", "E2:E6"], 4, PIXELS, ["ypara2,0^100", "zcu,1R^2B"]),
    "line": ("Line", ["B2:B6", "C2:C6"], 2, START, ["zline,Auto", "zm,21R^22B"]),
    "linestack": ("Line Stack", ["B2:B6", "C2:C6"], 2, PIXELS, []),
    "pie": ("Pie", ["B2:B6"], 1, PIXELS, ["zlabel,YP", "xname,A2:A6"]),
    "pie3d": ("Pie 3D", ["C2:C6"], 1, RANGE, []),
    "xy": ("XY", ["B2:B6", "C2:C6", "B2:B6", "D2:D6"], 2, PIXELS, []),
    "xynl": ("XYNL", ["B2:B6", "C2:C6"], 1, PIXELS, []),
    "bub": ("Bub", ["B2:B6", "C2:C6", "F2:F6", "B2:B6", "D2:D6", "F2:F6"], 2, PIXELS, ["plotarea,50pw"]),
    "rad": ("Rad", ["B2:B6", "C2:C6"], 2, PIXELS, []),
    "radara": ("RadarA", ["B2:B6", "C2:C6"], 2, PIXELS, []),
    "sur": ("Sur", ["B2:B6", "C2:C6", "D2:D6"], 3, PIXELS, []),
    "surwf": ("Sur WF", ["B2:B6", "C2:C6", "D2:D6"], 3, PIXELS, []),
}
TITLE = "売上&<推移 %s"

# The chart class LibreOffice reads each kind as. It has no surface charts
# and shows them as bar charts.
ODS_CLASS = {
    "bar": "chart:bar", "barh": "chart:bar", "stack": "chart:bar", "stack100": "chart:bar",
    "bar3d": "chart:bar", "barline": "chart:bar", "line": "chart:line", "linestack": "chart:area",
    "pie": "chart:circle", "pie3d": "chart:circle", "xy": "chart:scatter", "xynl": "chart:scatter",
    "bub": "chart:bubble", "rad": "chart:radar", "radara": "chart:filled-radar",
    "sur": "chart:bar", "surwf": "chart:bar",
}


def corpus(folder):
    os.makedirs(folder, exist_ok=True)
    for name, (kind, data, series, place, extra) in CASES.items():
        title = TITLE % kind
        lines = TABLE + ["!$", "graph,%s,,%s" % (kind, place), "title,12,%s" % title] + extra
        lines += ["data,%s" % d for d in data]
        with open(os.path.join(folder, name + ".csv"), "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
        with open(os.path.join(folder, name + ".json"), "w", encoding="utf-8") as f:
            json.dump({"series": series, "title": title}, f, ensure_ascii=False)
    print(" ".join(CASES))


def chart_series(chart):
    charts = getattr(chart, "_charts", None) or [chart]
    return sum(len(c.series) for c in charts)


def chart_title(chart):
    t = chart.title
    if t is None or t.tx is None or t.tx.rich is None:
        return None
    return "".join(r.t for p in t.tx.rich.p for r in (p.r or []))


def check_case(path, want, problems):
    say = lambda m: problems.append("%s: %s" % (os.path.basename(path), m))
    with zipfile.ZipFile(path) as z, tempfile.TemporaryDirectory() as tmp:
        names = [n for n in z.namelist() if n.startswith(("xl/charts/", "xl/drawings/")) and n.endswith(".xml")]
        if not any(n.startswith("xl/charts/chart") for n in names) or "xl/drawings/drawing1.xml" not in names:
            say("chart or drawing part missing: %s" % names)
        z.extractall(tmp)
        r = subprocess.run(["xmllint", "--noout"] + [os.path.join(tmp, n) for n in names],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if r.returncode != 0:
            say("xmllint: " + r.stdout.decode("utf-8", "replace")[:2000])
    r = subprocess.run(["/usr/bin/python3", CHECKER, path], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if r.returncode != 0:
        say("xlsx_check: " + r.stdout.decode("utf-8", "replace")[:2000])
    import openpyxl
    try:
        wb = openpyxl.load_workbook(path)
    except Exception as e:  # noqa: BLE001 - any load failure is the finding
        say("openpyxl: %r" % e)
        return
    charts = wb.worksheets[0]._charts
    if len(charts) != 1:
        say("openpyxl finds %d charts" % len(charts))
        return
    if chart_series(charts[0]) != want["series"]:
        say("openpyxl finds %d series, expected %d" % (chart_series(charts[0]), want["series"]))
    if chart_title(charts[0]) != want["title"]:
        say("title %r, expected %r" % (chart_title(charts[0]), want["title"]))


def check(folder):
    problems = []
    for name in CASES:
        path = os.path.join(folder, name + ".xlsx")
        if not os.path.exists(path):
            problems.append(name + ": no workbook")
            continue
        with open(os.path.join(folder, name + ".json"), encoding="utf-8") as f:
            check_case(path, json.load(f), problems)
    for p in problems:
        print(p)
    return 1 if problems else 0


def lo_convert(folder, fmt):
    """Has LibreOffice convert every workbook of the corpus to `fmt` in one
    run, on a private profile in `folder`; the output folder. LibreOffice's
    first start on a new profile, or beside other instances on a busy
    machine, sometimes converts nothing: the books still missing are tried
    again, waiting a little longer each time (as tests/convert/lo_retry.sh)."""
    out = os.path.join(folder, fmt)
    os.makedirs(out, exist_ok=True)
    profile = "file://" + os.path.join(os.path.abspath(folder), "lo-profile")
    def missing():
        return [n for n in CASES if not os.path.isfile(os.path.join(out, n + "." + fmt))
                or os.path.getsize(os.path.join(out, n + "." + fmt)) == 0]
    for wait in (1, 2, 4, 0):
        books = [os.path.join(folder, n + ".xlsx") for n in missing()]
        if not books:
            break
        try:
            subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", fmt,
                            "--outdir", out] + books, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        except subprocess.TimeoutExpired:
            pass
        if missing():
            time.sleep(wait)
    return out


def odscheck(folder):
    import re
    out = lo_convert(folder, "ods")
    problems = []
    for name in CASES:
        path = os.path.join(out, name + ".ods")
        if not os.path.exists(path):
            problems.append(name + ": LibreOffice wrote no ODS")
            continue
        with open(os.path.join(folder, name + ".json"), encoding="utf-8") as f:
            want = json.load(f)
        with zipfile.ZipFile(path) as z:
            objects = [n for n in z.namelist() if n.startswith("Object ") and n.endswith("/content.xml")]
            if len(objects) != 1:
                problems.append("%s: %d chart objects in the ODS" % (name, len(objects)))
                continue
            xml = z.read(objects[0]).decode("utf-8")
        m = re.search(r'<chart:chart [^>]*chart:class="([^"]+)"', xml)
        cls = m.group(1) if m else None
        if cls != ODS_CLASS[name]:
            problems.append("%s: ODS chart class %s, expected %s" % (name, cls, ODS_CLASS[name]))
        series = len(re.findall(r"<chart:series ", xml))
        if series != want["series"]:
            problems.append("%s: %d series in the ODS, expected %d" % (name, series, want["series"]))
        title = re.search(r"<chart:title[^>]*>.*?<text:p>(.*?)</text:p>", xml, re.S)
        text = title.group(1) if title else None
        expect = want["title"].replace("&", "&amp;").replace("<", "&lt;")
        if text is None or re.sub(r"<[^>]+>", "", text) != expect:
            problems.append("%s: ODS title %r, expected %r" % (name, text, expect))
    for p in problems:
        print(p)
    return 1 if problems else 0


# What LibreOffice (7.4) prints differently from the charts as written; the
# PDF step checks the titles of all of them and the colours of "bar" only.
# - "sur", "surwf": no surface charts (see ODS_CLASS); each is printed as
#   3-D bars seen from above, a grid of squares, without the bands' colours.
# - Lines the chart part leaves to their default (no c:spPr: the axis lines,
#   "<c:majorGridlines/>" of the value axis, the web of a radar) are not
#   drawn; with a c:spPr line they are.
# - "rad": a marker radar is printed without its series lines, even with a
#   line code; the writer gives these series the "none" symbol, so the plot
#   area stays empty.
# - "xynl": the hollow markers (no fill, the outline left to its default)
#   are not drawn, so the plot area stays empty.
# - "barh", "line" (a start cell) and "stack", "pie3d" (a cell range) reach
#   past the right edge of the first page and are printed over two pages;
#   the full title stands on one of them.

# The Auto-coloured bar chart: its series' colours, left to right in each
# cluster (zcolr Auto with three bar series). The charts without a zcolr
# line are filled black (an empty colour code is black), and one of them
# must show none of the colours, so the colour test is no test of the page.
AUTO_BARS = ("bar", ["green", "blue", "red"])
BLACK_BARS = "stack100"
DPI = 50


def hue_family(rgb):
    """green, blue, red for a saturated, not dark pixel; None otherwise.
    Loose on purpose: anti-aliased edges and LibreOffice's shading keep the
    family."""
    import colorsys
    h, s, v = colorsys.rgb_to_hsv(*(c / 255.0 for c in rgb))
    if s < 0.5 or v < 0.4:
        return None
    h *= 360
    if 80 <= h <= 160:
        return "green"
    if 200 <= h <= 260:
        return "blue"
    if h <= 20 or h >= 340:
        return "red"
    return None


def pale_yellow(rgb):
    """The plot-area fill the writer gives a chart without a plotarea fill
    (FFFFE0), give or take anti-aliasing."""
    r, g, b = rgb
    return r >= 240 and g >= 240 and 190 <= b <= 236


def pdf_pages(pdf):
    """The text of each page, by pdftotext in UTF-8."""
    r = subprocess.run(["pdftotext", "-enc", "UTF-8", pdf, "-"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return r.stdout.decode("utf-8", "replace").split("\f")


def squeeze(text):
    return "".join(text.split())


def title_page(pages, title):
    """The first page (from 1) that has the title on one line, blanks aside
    (pdftotext puts blanks between Japanese and Latin runs), or 0."""
    want = squeeze(title)
    for i, page in enumerate(pages):
        if any(want in squeeze(line) for line in page.splitlines()):
            return i + 1
    return 0


def plot_size_px(book):
    """The plot area's width and height in pixels at DPI, from the chart
    part's inner layout and the drawing anchor's extent."""
    import re
    with zipfile.ZipFile(book) as z:
        chart = z.read("xl/charts/chart1.xml").decode("utf-8")
        drawing = z.read("xl/drawings/drawing1.xml").decode("utf-8")
    layout = re.search(r"<c:plotArea><c:layout><c:manualLayout>(.*?)</c:manualLayout>", chart).group(1)
    w = float(re.search(r'<c:w val="([0-9.]+)"', layout).group(1))
    h = float(re.search(r'<c:h val="([0-9.]+)"', layout).group(1))
    ext = re.search(r'<xdr:ext cx="(\d+)" cy="(\d+)"', drawing)
    return (w * int(ext.group(1)) / 914400 * DPI, h * int(ext.group(2)) / 914400 * DPI)


def plot_colours(folder, pdf, page, name, say):
    """Rasterises `page` of `pdf` and finds the plot area by its fill; checks
    its size against the chart part and returns, per hue family, the pixels'
    x positions inside it (None when the plot area is not found)."""
    from PIL import Image
    png = os.path.join(folder, "pdf", name)
    subprocess.run(["pdftoppm", "-r", str(DPI), "-png", "-f", str(page), "-l", str(page), "-singlefile", pdf, png],
                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if not os.path.exists(png + ".png"):
        say("pdftoppm wrote no page %d" % page)
        return None
    im = Image.open(png + ".png").convert("RGB")
    px = im.load()
    fill = [(x, y) for y in range(im.size[1]) for x in range(im.size[0]) if pale_yellow(px[x, y])]
    if len(fill) < 500:
        say("no plot area on page %d (%d pixels of its fill)" % (page, len(fill)))
        return None
    x0, x1 = min(p[0] for p in fill), max(p[0] for p in fill)
    y0, y1 = min(p[1] for p in fill), max(p[1] for p in fill)
    want_w, want_h = plot_size_px(os.path.join(folder, name + ".xlsx"))
    if abs(x1 - x0 + 1 - want_w) > max(4, want_w * 0.05) or abs(y1 - y0 + 1 - want_h) > max(4, want_h * 0.05):
        say("plot area %dx%d pixels at %d dpi, the chart part lays out %.0fx%.0f"
            % (x1 - x0 + 1, y1 - y0 + 1, DPI, want_w, want_h))
    found = {"green": [], "blue": [], "red": []}
    for y in range(y0 + 1, y1):
        for x in range(x0 + 1, x1):
            family = hue_family(px[x, y])
            if family:
                found[family].append(x)
    return found


def pdfcheck(folder):
    out = lo_convert(folder, "pdf")
    problems = []
    pages = {}
    for name in CASES:
        say = lambda m, name=name: problems.append("%s: %s" % (name, m))
        pdf = os.path.join(out, name + ".pdf")
        if not os.path.exists(pdf):
            say("LibreOffice wrote no PDF")
            continue
        with open(os.path.join(folder, name + ".json"), encoding="utf-8") as f:
            title = json.load(f)["title"]
        pages[name] = title_page(pdf_pages(pdf), title)
        if not pages[name]:
            say("pdftotext shows no title %r" % title)
    name, colours = AUTO_BARS
    if pages.get(name):
        say = lambda m: problems.append("%s: %s" % (name, m))
        found = plot_colours(folder, os.path.join(out, name + ".pdf"), pages[name], name, say)
        if found is not None:
            for c in colours:
                if len(found[c]) < 50:
                    say("%d %s pixels in the plot area" % (len(found[c]), c))
            if all(found[c] for c in colours):
                firsts = [min(found[c]) for c in colours]
                if firsts != sorted(firsts):
                    say("the first bars from the left are not %s: first at x %s"
                        % (", ".join(colours), ", ".join(map(str, firsts))))
    if pages.get(BLACK_BARS):
        say = lambda m: problems.append("%s: %s" % (BLACK_BARS, m))
        found = plot_colours(folder, os.path.join(out, BLACK_BARS + ".pdf"), pages[BLACK_BARS], BLACK_BARS, say)
        if found is not None and any(len(v) >= 5 for v in found.values()):
            say("black bars show colours: %s" % {k: len(v) for k, v in found.items()})
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "corpus":
        corpus(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "odscheck":
        sys.exit(odscheck(sys.argv[2]))
    elif len(sys.argv) == 3 and sys.argv[1] == "pdfcheck":
        sys.exit(pdfcheck(sys.argv[2]))
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit(__doc__)
