"""Has LibreOffice read merged workbooks back.

usage: merge_lo_check.py DIR

For every DIR/*.xlsx, LibreOffice writes each sheet as CSV and the whole
book as ODS (one LibreOffice run for each, on all books). Prints one line
per book: "ok NAME" when every sheet's CSV holds the values openpyxl reads
from the same sheet (cells under a merged range aside) and the ODS still holds a chart object, else
"bad NAME: why".
"""
import csv
import glob
import io
import os
import subprocess
import sys
import time
import zipfile

from openpyxl import load_workbook


def soffice(outdir, target, files, profile):
    for wait in (1, 2, 4, 8, 16):
        subprocess.run(["soffice", "-env:UserInstallation=file://" + profile, "--headless",
                        "--convert-to", target, "--outdir", outdir] + files,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        if all(glob.glob(os.path.join(outdir, os.path.splitext(os.path.basename(f))[0] + "*"))
               for f in files):
            return
        time.sleep(wait)


def text(v):
    if v is None:
        return ""
    if isinstance(v, float) and v.is_integer():
        return str(int(v))
    return str(v)


def covered(ws):
    """The cells a merged range covers (all but its top-left one): openpyxl
    shows them empty whatever they hold, LibreOffice writes what they hold."""
    out = set()
    for m in ws.merged_cells.ranges:
        for r in range(m.min_row, m.max_row + 1):
            for c in range(m.min_col, m.max_col + 1):
                if (r, c) != (m.min_row, m.min_col):
                    out.add((r - 1, c - 1))
    return out


def blanked(rows, cells):
    out = [list(r) for r in rows]
    for r, c in cells:
        if r < len(out) and c < len(out[r]):
            out[r][c] = ""
    return out


def expected(ws):
    return [[text(c) for c in row] for row in ws.iter_rows(values_only=True)]


def trimmed(rows):
    out = [list(r) for r in rows]
    for r in out:
        while r and r[-1] == "":
            r.pop()
    while out and not out[-1]:
        out.pop()
    return out


def main():
    d = os.path.abspath(sys.argv[1])
    books = sorted(glob.glob(os.path.join(d, "*.xlsx")))
    csvdir = os.path.join(d, "csv")
    odsdir = os.path.join(d, "ods")
    os.makedirs(csvdir, exist_ok=True)
    os.makedirs(odsdir, exist_ok=True)
    profile = os.path.join(d, "lo-profile")
    # Every sheet as its own UTF-8 CSV: <book>-<sheet>.csv.
    soffice(csvdir, "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1", books, profile)
    soffice(odsdir, "ods", books, profile)
    for b in books:
        base = os.path.splitext(os.path.basename(b))[0]
        why = []
        wb = load_workbook(b)
        for ws in wb.worksheets:
            path = os.path.join(csvdir, base + "-" + ws.title + ".csv")
            if len(wb.worksheets) == 1 and not os.path.exists(path):
                path = os.path.join(csvdir, base + ".csv")
            if not os.path.exists(path):
                why.append("no CSV of sheet " + ws.title)
                continue
            with open(path, encoding="utf-8", newline="") as f:
                got = trimmed(blanked(csv.reader(io.StringIO(f.read())), covered(ws)))
            want = trimmed(blanked(expected(ws), covered(ws)))
            if got != want:
                why.append("sheet %s: LibreOffice %r, openpyxl %r" % (ws.title, got[:4], want[:4]))
        ods = os.path.join(odsdir, base + ".ods")
        if not os.path.exists(ods):
            why.append("no ODS")
        else:
            with zipfile.ZipFile(ods) as z:
                charts = [n for n in z.namelist() if n.endswith("content.xml") and n != "content.xml"
                          and b"<chart:chart" in z.read(n)]
            if not charts:
                why.append("no chart in the ODS")
        print(("ok " if not why else "bad ") + base + ("" if not why else ": " + "; ".join(why)))


if __name__ == "__main__":
    main()
