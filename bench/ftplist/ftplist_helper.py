#!/usr/bin/python3
"""The Python side of bench_ftplist (Debian's interpreter, which has pyftpdlib).

  ftplist_helper.py make DIR N          DIR/<user>/pub with N files (kept between runs)
  ftplist_helper.py serve ROOT PORTFILE STOPFILE
      the test FTP server over ROOT; its port written to PORTFILE; it ends
      when STOPFILE appears
  ftplist_helper.py dir PORT USER FOLDER OUTFILE
      the yardstick: one connection, ftplib's dir() of FOLDER; the number of
      listed lines and the seconds of the listing itself written to OUTFILE
  ftplist_helper.py pairs EXE RUNS FILES ROWSFILE
      the whole measurement: the folder, the server, then RUNS pairs of
      "wine EXE -once ..." and "ftplist_helper.py dir ...", each a whole
      process timed from its start to its end; the table rows (bench/run-all's
      "ROW|..." lines) written to ROWSFILE when done

bench_ftplist.exe starts "pairs" (Wine starts a host program but cannot wait
for it); run by hand it needs the Wine environment (scripts/wine-env).
"""
import ftplib
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def make(root, n):
    pub = os.path.join(root, "bench", "pub")
    os.makedirs(pub, exist_ok=True)
    have = set(os.listdir(pub))
    for i in range(n):
        name = "file%05d.txt" % i
        if name not in have:
            with open(os.path.join(pub, name), "wb") as f:
                f.write(b"x" * (i % 4096))


def serve(root, portfile, stopfile):
    sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "support", "inet"))
    import logging
    import ftp_server
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
    handler = FTPHandler
    handler.authorizer = ftp_server.AnyUser(os.path.abspath(root))
    handler.abstracted_fs = ftp_server.TestFS
    handler.use_sendfile = False
    logging.basicConfig(level=logging.WARNING)
    server = FTPServer(("127.0.0.1", 0), handler)
    with open(portfile + ".part", "w") as f:
        f.write(str(server.socket.getsockname()[1]))
    os.replace(portfile + ".part", portfile)
    while not os.path.exists(stopfile):
        server.serve_forever(timeout=0.1, blocking=False)
    server.close_all()


def listing(port, user, folder, outfile):
    f = ftplib.FTP()
    f.connect("127.0.0.1", int(port))
    f.login(user, "p")
    lines = []
    t0 = time.perf_counter()
    f.dir(folder, lines.append)
    seconds = time.perf_counter() - t0
    f.quit()
    with open(outfile, "w") as out:
        out.write("%d %.6f\n" % (len(lines), seconds))


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def read_counted(path):
    """files, seconds, and for our side the seconds of the search's start."""
    try:
        with open(path) as f:
            fields = f.read().split()
        return int(fields[0]), float(fields[1]), float(fields[2]) if len(fields) > 2 else 0.0
    except (OSError, ValueError, IndexError):
        return -1, 0.0, 0.0


def whole(cmd):
    t0 = time.perf_counter()
    rc = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                        stderr=subprocess.DEVNULL).returncode
    return time.perf_counter() - t0, rc == 0


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def pairs(exe, runs, files, rowsfile):
    base = os.path.dirname(rowsfile)
    root = os.path.join(base, "root%d" % files)  # one folder per size
    make(root, files)
    portfile, stopfile = os.path.join(base, "port"), os.path.join(base, "stop")
    for f in (portfile, stopfile):
        if os.path.exists(f):
            os.remove(f)
    server = subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", root, portfile, stopfile],
                              stdin=subprocess.DEVNULL)
    try:
        for _ in range(200):
            if os.path.exists(portfile):
                break
            time.sleep(0.05)
        with open(portfile) as f:
            port = f.read().strip()
        ours_out, theirs_out = os.path.join(base, "ours.txt"), os.path.join(base, "theirs.txt")
        ours_cmd = ["wine", exe, "-once", port, "bench", "/pub", windows_path(ours_out)]
        theirs_cmd = [sys.executable, os.path.abspath(__file__), "dir", port, "bench", "/pub", theirs_out]
        a, b, r, ai, bi, ri, search = [], [], [], [], [], [], []
        checked = True
        for _ in range(runs):
            for f in (ours_out, theirs_out):
                if os.path.exists(f):
                    os.remove(f)
            x, ok_a = whole(ours_cmd)
            y, ok_b = whole(theirs_cmd)
            na, sa, sf = read_counted(ours_out)
            nb, sb, _ = read_counted(theirs_out)
            # Every file listed by both sides.
            if not (ok_a and ok_b and na == files and nb == files):
                checked = False
                sys.stderr.write("counts: ours %d, ftplib %d, files %d\n" % (na, nb, files))
            a.append(x)
            b.append(y)
            r.append(x / y if y > 0 else 0)
            ai.append(sa)
            bi.append(sb)
            ri.append(sa / sb if sb > 0 else 0)
            search.append(sf)
    finally:
        open(stopfile, "w").close()
        server.wait(timeout=10)
    work = "list a site folder of %d files, Windows program under Wine" % files
    outputs = "equal" if checked else "DIFFER"
    load = load_average()
    rows = [
        "ROW|ftplist|%s (whole process)|python3 ftplib dir() (whole process)|%.4f|%.4f|%.2f|<= 3|%s|%s" %
        (work, statistics.median(a), statistics.median(b), statistics.median(r), outputs, load),
        "ROW|ftplist|%s (the listing alone, after the login)|ftplib dir() alone|%.4f|%.4f|%.2f|-|%s|%s" %
        (work, statistics.median(ai), statistics.median(bi), statistics.median(ri), outputs, load),
    ]
    rows.append("ours, the listing alone: the search's start (FtpFindFirstFile) %.4f s, the records and the"
                " placing after it %.4f s (medians)" % (statistics.median(search),
                                                        statistics.median(x - y for x, y in zip(ai, search))))
    with open(rowsfile + ".part", "w") as f:
        f.write("\n".join(rows) + "\n")
    os.replace(rowsfile + ".part", rowsfile)


if __name__ == "__main__":
    cmd = sys.argv[1]
    if cmd == "make":
        make(sys.argv[2], int(sys.argv[3]))
    elif cmd == "serve":
        serve(sys.argv[2], sys.argv[3], sys.argv[4])
    elif cmd == "dir":
        listing(*sys.argv[2:6])
    elif cmd == "pairs":
        pairs(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5])
    else:
        sys.exit(2)
