"""A small compound-file writer for test inputs: streams below 4,096 bytes go
to the mini-stream, larger ones to regular sectors; options damage the result
on purpose (hostile inputs)."""
import struct

S = 512
END = 0xFFFFFFFE
FREE = 0xFFFFFFFF
FATSECT = 0xFFFFFFFD


def build(streams, first_name="Root Entry", straight_difat=False, fat_patch=None,
          start_patch=None, dir_sector_patch=None, difat_cycle=False, extra_entries=()):
    """streams: list of (name, bytes). fat_patch: {sector: value} after layout;
    start_patch: {name: start sector}; dir_sector_patch: header 0x30 value."""
    sectors = []
    fat = {}

    def alloc(data):
        n = (len(data) + S - 1) // S
        if n == 0:
            return END
        start = len(sectors)
        for i in range(n):
            sectors.append(data[i * S:(i + 1) * S].ljust(S, b"\0"))
            fat[start + i] = start + i + 1 if i < n - 1 else END
        return start

    mini = b""
    minifat = []
    entries = []
    for name, data in streams:
        if len(data) < 4096:
            n = (len(data) + 63) // 64
            start = len(mini) // 64 if n else END
            for i in range(n):
                minifat.append(len(minifat) + 1 if i < n - 1 else END)
            mini += data.ljust(n * 64, b"\0")
            entries.append((name, 2, start, len(data)))
        else:
            entries.append((name, 2, alloc(data), len(data)))
    entries.extend(extra_entries)
    root_start = alloc(mini) if mini else END
    minifat_bytes = b"".join(struct.pack("<I", x) for x in minifat)
    minifat_start = alloc(minifat_bytes) if minifat else END
    minifat_count = (len(minifat_bytes) + S - 1) // S

    def dir_entry(name, typ, start, size, child=FREE, right=FREE):
        raw = name.encode("utf-16-le")
        e = bytearray(128)
        e[0:len(raw)] = raw
        struct.pack_into("<H", e, 0x40, len(raw) + 2)
        e[0x42] = typ
        e[0x43] = 1
        struct.pack_into("<III", e, 0x44, FREE, right, child)
        struct.pack_into("<II", e, 0x74, start & 0xFFFFFFFF, size)
        return bytes(e)

    count = 1 + len(entries)
    d = dir_entry(first_name, 5, root_start, len(mini), child=1 if entries else FREE)
    for i, (name, typ, start, size) in enumerate(entries):
        if start_patch and name in start_patch:
            start = start_patch[name]
        d += dir_entry(name, typ, start, size, right=i + 2 if i + 2 < count else FREE)
    dir_start = alloc(d.ljust(((len(d) + S - 1) // S) * S, b"\0"))

    nfat = 1
    while (len(sectors) + nfat) > nfat * 128:
        nfat += 1
    fat_start = len(sectors)
    for i in range(nfat):
        fat[fat_start + i] = FATSECT
        sectors.append(b"")
    table = [FREE] * (nfat * 128)
    for k, v in fat.items():
        table[k] = v
    if fat_patch:
        for k, v in fat_patch.items():
            table[k] = v
    raw = b"".join(struct.pack("<I", x) for x in table)
    for i in range(nfat):
        sectors[fat_start + i] = raw[i * S:(i + 1) * S]

    h = bytearray(S)
    h[0:8] = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"
    struct.pack_into("<HHHHH", h, 0x18, 0x3E, 3, 0xFFFE, 9, 6)
    struct.pack_into("<I", h, 0x2C, nfat)
    struct.pack_into("<I", h, 0x30, dir_sector_patch if dir_sector_patch is not None else dir_start)
    struct.pack_into("<I", h, 0x38, 4096)
    struct.pack_into("<II", h, 0x3C, minifat_start, minifat_count)
    struct.pack_into("<II", h, 0x44, END, 0)
    difat = [FREE] * 109
    for i in range(nfat):
        difat[i] = fat_start + i
    if straight_difat:
        difat[0] = FREE
    if difat_cycle:
        # Every header entry names the FAT sector, and the DIFAT chain names
        # itself: the list ends only when the table is full.
        difat = [fat_start] * 109
        sectors.append(b"".join(struct.pack("<I", fat_start) for _ in range(127)) +
                       struct.pack("<I", len(sectors)))
        struct.pack_into("<II", h, 0x44, len(sectors) - 1, 1)
    struct.pack_into("<109I", h, 0x4C, *difat)
    return bytes(h) + b"".join(s.ljust(S, b"\0") for s in sectors)
