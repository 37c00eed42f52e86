#!/usr/bin/env python3
"""Cases and expected results of the built-in date and time functions,
computed with Python's datetime and calendar modules over random dates from
1901 to 2099 and random times.

Usage: date_reference.py SEED COUNT. Output: one case a line,
function TAB field-as-hex TAB expected-as-hex (texts in cp932).
"""
import calendar
import random
import sys
from datetime import date, timedelta

BASE = date(1899, 12, 31)  # day serial 0
ERAS = [("M", 1868), ("T", 1912), ("S", 1926), ("H", 1989), ("R", 2019)]
KANJI_WEEK = "日月火水木金土"  # from Sunday
KANJI_MONTHS = "睦月 如月 弥生 卯月 皐月 水無月 文月 葉月 長月 神無月 霜月 師走".split()
KANA_MONTHS = ("むつき きさらぎ やよい うづき さつき みなづき ふみづき はづき ながつき かんなづき "
               "しもつき しはす").split()


def english_month(m):
    # The program keeps the tenth month as its users' reports spell it.
    return "Octover" if m == 10 else calendar.month_name[m]


def sunday_index(d):
    """0 for Sunday .. 6 for Saturday."""
    return d.isoweekday() % 7


def era_of(d):
    letter, first = [e for e in ERAS if e[1] <= d.year][-1]
    return letter, d.year - first + 1


def written(d, form):
    """The date written in one of the reader's forms."""
    y2 = d.year % 100
    if form == "slash4":
        return f"{d.year}/{d.month:02d}/{d.day:02d}"
    if form == "dots2":
        return f"{y2}.{d.month}.{d.day}"
    if form == "compact":
        return f"{d.year}{d.month:02d}{d.day:02d}"
    if form == "era":
        letter, n = era_of(d)
        return f"{letter}{n}.{d.month}.{d.day}"
    if form == "apostrophe":
        return f"'{y2:02d}.{d.month:02d}.{d.day:02d}"
    if form == "kanji":
        return f"{d.year}年{d.month}月{d.day}日"
    if form == "kanji2":
        return f"{y2}年{d.month:02d}月{d.day:02d}日"
    raise ValueError(form)


def in_window(d, window):
    """Two-digit years below `window` are read in the 2000s."""
    return 1900 + window <= d.year < 2000 + window


def day_layout(style, d):
    c, y, m, day = d.year // 100, d.year % 100, d.month, d.day
    ab = calendar.month_abbr[m]
    if style == 12:
        return f"{ab}.{day} {c:02d}{y:02d}"
    if style == 11:
        return f"{ab}.{day} '{y:02d}"
    if style == 10:
        return f"{c:02d}{y:02d}/{m:02d}/{day:02d}"
    if style == 9:
        return f"{y:02d}/{m:02d}/{day:02d}"
    if style == 8:
        return f"{c:02d}{y:02d}{m:02d}{day:02d}"
    return f"{y:02d}{m:02d}{day:02d}"


def month_layout(style, year, m, day=None):
    c, y = year // 100, year % 100
    ab = calendar.month_abbr[m]
    if style == 12:
        return f"{ab}.{day} {c:02d}{y:02d}" if day else f"{ab}. {c:02d}{y:02d}"
    if style == 11:
        return f"{ab}.{day} '{y:02d}" if day else f"{ab}. '{y:02d}"
    if style == 10:
        return f"{c:02d}{y:02d}/{m:02d}/{day or 1:02d}"
    if style == 8:
        return f"{c:02d}{y:02d}{m:02d}{day or 1:02d}"
    if style == 9:
        return f"{y:02d}{m:02d}"
    if style == 7:
        return f"{c:02d}{y:02d}/{m:02d}"
    if style == 6:
        return f"{c:02d}{y:02d}{m:02d}"
    if style == 5:
        return f"{y:02d}/{m:02d}"
    return f"{y:02d}{m:02d}"


def weekday(style, d):
    w = sunday_index(d)
    if style == 0:
        return str(w + 1)
    if style == 1:
        return str(d.isoweekday())
    if style == 2:
        return KANJI_WEEK[w]
    if style == 3:
        return calendar.day_abbr[d.weekday()]
    if style == 4:
        return KANJI_WEEK[w] + "曜"
    if style == 6:
        return calendar.day_name[d.weekday()]
    if style == 8:
        return str(d.timetuple().tm_yday)
    if style == 9:
        # %U counts the days before the first Sunday as week 0; here the
        # week holding 1 January is 1.
        return str(int(d.strftime("%U")) + (0 if sunday_index(date(d.year, 1, 1)) == 0 else 1))
    raise ValueError(style)


def add_months(d, n):
    total = d.year * 12 + d.month - 1 + n
    y, m = divmod(total, 12)
    return date(y, m + 1, min(d.day, calendar.monthrange(y, m + 1)[1]))


def time_text(style, secs):
    td = timedelta(seconds=secs)
    h, rest = divmod(int(td.total_seconds()), 3600)
    mi, s = divmod(rest, 60)
    mark = ""
    if style >= 10:
        style -= 10
        mark = "am" if h < 12 else "pm"
        if h > 12:
            h -= 12
    text = {4: f"{h}時{mi:02d}分{s:02d}秒", 3: f"{h}:{mi:02d}'{s:02d}\"", 2: f"{h}:{mi:02d}.{s:02d}",
            1: f"{h:02d}{mi:02d}{s:02d}"}.get(style, f"{h}h{mi:02d}m{s:02d}s")
    return text + mark


def main():
    rng = random.Random(int(sys.argv[1]))
    count = int(sys.argv[2])
    out = []

    def case(func, field, expected):
        out.append(f"{func}\t{field.encode('cp932').hex()}\t{expected.encode('cp932').hex()}")

    first, last = date(1901, 1, 1).toordinal(), date(2099, 12, 31).toordinal()
    forms = ["slash4", "dots2", "compact", "era", "apostrophe", "kanji", "kanji2"]
    for _ in range(count):
        d = date.fromordinal(rng.randint(first, last))
        serial = (d - BASE).days
        # Day serial from every form the date can be written in.
        for form in forms:
            if form in ("dots2", "apostrophe", "kanji2") and not in_window(d, 50):
                continue
            case("TDN", written(d, form), f"{serial:06d}")
        # From the serial in every layout, and back where the layout can be read.
        for style in [0] + list(range(5, 13)):
            text = day_layout(style, d)
            case(f"TND{style}", str(serial), text)
            if style in (8, 10) or (style in (0, 5, 6, 7, 9) and in_window(d, 50)):
                case("TDN", text, f"{serial:06d}")
        case("TDF8", written(d, "era"), day_layout(8, d))
        case("TDF10", written(d, "kanji"), day_layout(10, d))
        # Month serial and its inverse.
        mserial = (d.year - 1900) * 12 + d.month - 1
        case("TDM", written(d, "slash4"), f"{mserial:04d}")
        if in_window(d, 45):
            case("TDM", written(d, "dots2"), f"{mserial:04d}")
        for style in [0] + list(range(5, 13)):
            case(f"TMD{style}", str(mserial), month_layout(style, d.year, d.month))
        # Weekdays (two-digit years only inside their window).
        for style in (0, 1, 2, 3, 4, 6, 8, 9):
            case(f"TDW{style}", written(d, "slash4"), weekday(style, d))
        if in_window(d, 45):
            case("TDW", written(d, "dots2"), weekday(0, d))
        case("TDW3", written(d, "era"), weekday(3, d))
        # Month and day arithmetic, month lengths, checks, halves of the month.
        n = rng.randint(0, 40)
        for func, moved in (("TAM", add_months(d, n)), ("TSM", add_months(d, -n))):
            if 1901 <= moved.year <= 2099:
                case(f"{func}{n}:8", written(d, "slash4"), day_layout(8, moved))
        k = rng.randint(0, 3000)
        for func, moved in (("TAD", d + timedelta(days=k)), ("TSD", d - timedelta(days=k))):
            case(f"{func}{k}:10", written(d, "slash4"), day_layout(10, moved))
        length = calendar.monthrange(d.year, d.month)[1]
        case("TEM8", written(d, "kanji"), day_layout(8, d.replace(day=length)))
        case("TBM10", written(d, "slash4"), day_layout(10, d.replace(day=1)))
        case("TEM", written(d, "slash4"), month_layout(0, d.year, d.month))
        case("TBN", written(d, "era"), str(length))
        case("TCK", written(d, "slash4"), written(d, "slash4"))
        bad = f"{d.year}/{d.month:02d}/{length + 1:02d}"
        case("TCK", bad, "EROR")
        case("TDH", written(d, "slash4"), f"{d.day:02d} 上" if d.day <= 15 else f"{d.day:02d}_下")
        # Month names from the number of the month.
        m = rng.randint(1, 12)
        case("TDM3", str(m), calendar.month_abbr[m])
        case("TDM4", str(m), KANJI_MONTHS[m - 1])
        case("TDM5", str(m), english_month(m))
        case("TDM6", str(m), KANA_MONTHS[m - 1])
        # Times.
        h, mi, s = rng.randint(0, 23), rng.randint(0, 59), rng.randint(0, 59)
        secs = int(timedelta(hours=h, minutes=mi, seconds=s).total_seconds())
        case("THS", f"{h}:{mi:02d}:{s:02d}", str(secs))
        case("THS", f"{h}h{mi}m{s}s", str(secs))
        case("THS", f"{h}時{mi}分{s}秒", str(secs))
        case("THS", f"{h}.{mi:02d}.{s:02d}", str(secs))
        if 1 <= h <= 11:
            case("THS", f"pm{h}:{mi:02d}", str(int(timedelta(hours=h + 12, minutes=mi).total_seconds())))
        r = rng.randint(0, 86399)
        for style in (1, 2, 3, 4, 11, 12, 13, 14):
            case(f"TSH{style}", str(r), time_text(style, r))
        shift = rng.randint(0, 10 ** 9) if rng.random() < 0.7 else rng.randint(0, 200000)
        for func, sign in (("TAS", 1), ("TSS", -1)):
            moved = timedelta(seconds=secs) + sign * timedelta(seconds=shift)
            mark = "" if moved.days == 0 else (f"_{moved.days:03d}P" if moved.days > 0 else f"_{-moved.days:03d}M")
            case(f"{func}{shift}", f"{h}:{mi:02d}:{s:02d}", time_text(0, moved.seconds) + mark)
    print("\n".join(out))


if __name__ == "__main__":
    main()
