#!/usr/bin/python3
"""Checks a spreadsheet package the way a strict reader would.

    xlsx_check.py PACKAGE...

PACKAGE is an .xlsx file or a folder holding the unpacked parts. Prints one
line per problem and exits 1 when there is any, 0 when the package is sound:

- every XML part is well-formed UTF-8 (declared UTF-8 or undeclared);
- every part has a content type (an Override or a Default by extension),
  every Override names a part that exists, and the target of a known
  relationship type has the content type that type requires;
- every relationship part belongs to an existing part, its ids are unique,
  and every internal target exists;
- every r:id (any attribute in the relationships namespace) of a part
  resolves in that part's relationships;
- every count attribute equals the number of its elements, and every
  vt:vector size its children;
- every style index (cell s, row s, col style) is inside cellXfs, and every
  xf's font, fill, border, number format and cell-style xf exists;
- sheet names are unique (case of ASCII letters ignored), at most 31
  characters and free of []:*?/\\; sheetIds are unique; activeTab and every
  localSheetId name a listed sheet.
"""
import os
import posixpath
import sys
import zipfile

from lxml import etree

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
CT_NS = "http://schemas.openxmlformats.org/package/2006/content-types"
VT = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes"
REL_TYPE = REL_NS + "/"

# Elements of the main namespace whose count attribute counts their children.
COUNTED = {"numFmts", "fonts", "fills", "borders", "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
           "tableStyles", "mergeCells", "rowBreaks", "colBreaks", "colors", "conditionalFormattings"}

# The content type a relationship's target must have, by relationship type.
TYPE_OF_TARGET = {
    REL_TYPE + "officeDocument": "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
    REL_TYPE + "worksheet": "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml",
    REL_TYPE + "styles": "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml",
    REL_TYPE + "drawing": "application/vnd.openxmlformats-officedocument.drawing+xml",
    REL_TYPE + "chart": "application/vnd.openxmlformats-officedocument.drawingml.chart+xml",
    REL_TYPE + "extended-properties": "application/vnd.openxmlformats-officedocument.extended-properties+xml",
    REL_TYPE + "image": "image/png",
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties":
        "application/vnd.openxmlformats-package.core-properties+xml",
}

# Number formats every reader knows without a numFmt element.
BUILTIN_NUMFMT_LIMIT = 164


def read_parts(path):
    parts = {}
    if os.path.isdir(path):
        for root, _, files in os.walk(path):
            for f in files:
                full = os.path.join(root, f)
                name = os.path.relpath(full, path).replace(os.sep, "/")
                with open(full, "rb") as h:
                    parts[name] = h.read()
    else:
        with zipfile.ZipFile(path) as z:
            for info in z.infolist():
                if not info.filename.endswith("/"):
                    parts[info.filename] = z.read(info)
    return parts


def rels_of(part):
    folder, name = posixpath.split(part)
    return posixpath.join(folder, "_rels", name + ".rels")


def source_of(rels):
    folder, name = posixpath.split(rels)
    base = posixpath.dirname(folder)
    return posixpath.join(base, name[: -len(".rels")]) if name != ".rels" else ""


def resolve(source, target):
    if target.startswith("/"):
        return posixpath.normpath(target[1:])
    return posixpath.normpath(posixpath.join(posixpath.dirname(source), target))


def local(tag):
    return etree.QName(tag).localname if isinstance(tag, str) else ""


def check(path):
    problems = []
    say = problems.append
    try:
        parts = read_parts(path)
    except (OSError, zipfile.BadZipFile) as e:
        return ["cannot read package: %s" % e]

    trees = {}
    for name, data in sorted(parts.items()):
        if not (name.endswith(".xml") or name.endswith(".rels")):
            continue
        head = data[:100].lower()
        if b"encoding=" in head and b'encoding="utf-8"' not in head and b"encoding='utf-8'" not in head:
            say("%s: declared in an encoding other than UTF-8" % name)
        try:
            data.decode("utf-8")
        except UnicodeDecodeError as e:
            say("%s: not UTF-8 (%s)" % (name, e))
            continue
        try:
            trees[name] = etree.fromstring(data)
        except etree.XMLSyntaxError as e:
            say("%s: not well-formed: %s" % (name, e))

    # Content types.
    ct = trees.get("[Content_Types].xml")
    if ct is None:
        say("[Content_Types].xml missing")
        return problems
    defaults = {d.get("Extension", "").lower(): d.get("ContentType") for d in ct.iter("{%s}Default" % CT_NS)}
    overrides = {}
    for o in ct.iter("{%s}Override" % CT_NS):
        overrides[o.get("PartName", "").lower()] = o.get("ContentType")
    lower_parts = {p.lower() for p in parts}
    for o in overrides:
        if o.lstrip("/") not in lower_parts:
            say("content type names a missing part: %s" % o)
    for p in parts:
        if p == "[Content_Types].xml":
            continue
        ext = p.rsplit(".", 1)[-1].lower() if "." in posixpath.basename(p) else ""
        if "/" + p.lower() not in overrides and ext not in defaults:
            say("no content type: %s" % p)

    # Relationships.
    rel_ids = {}
    targets = {}
    for name, tree in trees.items():
        if not name.endswith(".rels"):
            continue
        src = source_of(name)
        if src and src not in parts:
            say("%s: relationships of a missing part %s" % (name, src))
        ids = {}
        for r in tree.iter("{%s}Relationship" % PKG_REL):
            rid = r.get("Id")
            if rid in ids:
                say("%s: id %s used twice" % (name, rid))
            ids[rid] = r
            if r.get("TargetMode") == "External":
                continue
            t = resolve(src or "/", r.get("Target", "")) if src else r.get("Target", "").lstrip("/")
            if t not in parts:
                say("%s: %s points to a missing part %s" % (name, rid, t))
            targets[(src, rid)] = t
            want = TYPE_OF_TARGET.get(r.get("Type"))
            ext = t.rsplit(".", 1)[-1].lower()
            have = overrides.get("/" + t.lower(), defaults.get(ext))
            if want and have != want:
                say("%s: %s points to %s of content type %s, not %s" % (name, rid, t, have, want))
        rel_ids[src] = ids

    for name, tree in trees.items():
        if name.endswith(".rels"):
            continue
        ids = rel_ids.get(name, {})
        for el in tree.iter():
            for attr, value in el.attrib.items():
                if attr.startswith("{%s}" % REL_NS) and value not in ids:
                    say("%s: %s r:%s=\"%s\" does not resolve" % (name, local(el.tag), local(attr), value))

    # Counts and vector sizes.
    for name, tree in trees.items():
        for el in tree.iter():
            tag = el.tag if isinstance(el.tag, str) else ""
            if tag.startswith("{%s}" % MAIN) and local(tag) in COUNTED and el.get("count") is not None:
                n = len([c for c in el if isinstance(c.tag, str)])
                if int(el.get("count")) != n:
                    say("%s: %s count=%s but %d elements" % (name, local(tag), el.get("count"), n))
            if tag == "{%s}vector" % VT:
                n = len([c for c in el if isinstance(c.tag, str)])
                if int(el.get("size", "-1")) != n:
                    say("%s: vt:vector size=%s but %d elements" % (name, el.get("size"), n))

    # Workbook, styles and worksheets.
    office = None
    for (src, rid), t in targets.items():
        if src == "":
            rel = rel_ids[""][rid]
            if rel.get("Type", "").endswith("/officeDocument"):
                office = t
    wb = trees.get(office) if office else None
    if wb is None:
        say("no workbook part")
        return problems
    wb_rels = rel_ids.get(office, {})
    styles_part = None
    for rid, r in wb_rels.items():
        if r.get("Type") == REL_TYPE + "styles":
            styles_part = targets.get((office, rid))
    sheets = wb.findall("{%s}sheets/{%s}sheet" % (MAIN, MAIN))
    if not sheets:
        say("%s: no sheet" % office)
    names, ids = set(), set()
    for s in sheets:
        nm = s.get("name", "")
        key = "".join(c.lower() if c.isascii() else c for c in nm)
        if key in names:
            say("sheet name used twice: %s" % nm)
        names.add(key)
        units = len(nm.encode("utf-16-le")) // 2
        if not nm or units > 31:
            say("sheet name of %d characters: %s" % (units, nm))
        if any(c in nm for c in "[]:*?/\\"):
            say("sheet name with a forbidden character: %s" % nm)
        if s.get("sheetId") in ids:
            say("sheetId used twice: %s" % s.get("sheetId"))
        ids.add(s.get("sheetId"))
        t = targets.get((office, s.get("{%s}id" % REL_NS)))
        if t is not None and wb_rels[s.get("{%s}id" % REL_NS)].get("Type") != REL_TYPE + "worksheet":
            say("sheet %s refers to a part that is no worksheet: %s" % (nm, t))
    for v in wb.iter("{%s}workbookView" % MAIN):
        if int(v.get("activeTab", "0")) >= max(len(sheets), 1):
            say("activeTab %s past the %d sheets" % (v.get("activeTab"), len(sheets)))
    for d in wb.iter("{%s}definedName" % MAIN):
        if d.get("localSheetId") is not None and int(d.get("localSheetId")) >= len(sheets):
            say("definedName %s: localSheetId %s past the sheets" % (d.get("name"), d.get("localSheetId")))

    st = trees.get(styles_part) if styles_part else None
    if st is None:
        say("no styles part")
        return problems

    def n_of(tag):
        el = st.find("{%s}%s" % (MAIN, tag))
        return 0 if el is None else len([c for c in el if isinstance(c.tag, str)])

    fonts, fills, borders = n_of("fonts"), n_of("fills"), n_of("borders")
    style_xfs, cell_xfs = n_of("cellStyleXfs"), n_of("cellXfs")
    numfmts = {int(f.get("numFmtId")) for f in st.iter("{%s}numFmt" % MAIN)}
    for group, parent_limit in (("cellStyleXfs", None), ("cellXfs", style_xfs)):
        el = st.find("{%s}%s" % (MAIN, group))
        for i, xf in enumerate([] if el is None else el.findall("{%s}xf" % MAIN)):
            for attr, limit in (("fontId", fonts), ("fillId", fills), ("borderId", borders)):
                if int(xf.get(attr, "0")) >= limit:
                    say("styles: %s %d: %s %s past %d" % (group, i, attr, xf.get(attr), limit))
            nf = int(xf.get("numFmtId", "0"))
            if nf >= BUILTIN_NUMFMT_LIMIT and nf not in numfmts:
                say("styles: %s %d: numFmtId %d not defined" % (group, i, nf))
            if parent_limit is not None and int(xf.get("xfId", "0")) >= parent_limit:
                say("styles: %s %d: xfId %s past %d" % (group, i, xf.get("xfId"), parent_limit))
    for name, tree in trees.items():
        if local(tree.tag) != "worksheet":
            continue
        for el in tree.iter("{%s}c" % MAIN, "{%s}row" % MAIN):
            if el.get("s") is not None and int(el.get("s")) >= cell_xfs:
                say("%s: %s %s: style %s past the %d cellXfs" % (name, local(el.tag), el.get("r"), el.get("s"), cell_xfs))
        for col in tree.iter("{%s}col" % MAIN):
            if col.get("style") is not None and int(col.get("style")) >= cell_xfs:
                say("%s: col %s: style %s past the %d cellXfs" % (name, col.get("min"), col.get("style"), cell_xfs))
    return problems


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip())
        return 2
    bad = 0
    for path in argv[1:]:
        for p in check(path):
            print("%s: %s" % (path, p))
            bad = 1
    return bad


if __name__ == "__main__":
    sys.exit(main(sys.argv))
