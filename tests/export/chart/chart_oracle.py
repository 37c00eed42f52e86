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

Per workbook: xmllint --noout on every chart and drawing part, the package
checker of the export tests, and openpyxl, which must load the workbook and
find the charts with their series counts and titles.
"""
import json
import os
import subprocess
import sys
import tempfile
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


def odscheck(folder):
    import re
    out = os.path.join(folder, "ods")
    os.makedirs(out, exist_ok=True)
    profile = "file://" + os.path.join(os.path.abspath(folder), "lo-profile")
    books = [os.path.join(folder, n + ".xlsx") for n in CASES]
    problems = []
    for attempt in range(3):
        try:
            subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "ods",
                            "--outdir", out] + books, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=600)
        except subprocess.TimeoutExpired:
            pass
        if all(os.path.exists(os.path.join(out, n + ".ods")) for n in CASES):
            break
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


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "corpus":
        corpus(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "odscheck":
        sys.exit(odscheck(sys.argv[2]))
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit(__doc__)
