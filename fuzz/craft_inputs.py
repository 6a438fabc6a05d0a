#!/usr/bin/env python3
"""Writes the hand-made fuzz inputs into tests/fuzz_inputs/: for the report harness (the
encoding is described in fuzz_harness.h) the faults found on the old code, for the
settings harness a file of each format the loader reads, as seeds."""
import os
import struct
import sys

OK = b"\xff"           # a write that completes at once
FAIL = b"\x00"         # a transfer that fails
FRESH = b"\x02"        # the next report arrives while it is waited for (not queued)
ACT_PASS, ACT_GET_STATUS, ACT_AUTOUPDATE = 0, 1, 4

NUNCHUK_ID = bytes([0x00, 0x00, 0xA4, 0x20, 0x00, 0x00])
CLASSIC_ID = bytes([0x00, 0x00, 0xA4, 0x20, 0x01, 0x01])
# Stick ranges (maximum, minimum, centre) on the 8-bit scale; right-stick X and Y 31, 0, 16.
CLASSIC_CAL = bytes([0xFC, 0x00, 0x80] * 2 + [0xF8, 0x00, 0x80] * 2 + [0] * 4)
NUNCHUK_CAL = bytes([0x80, 0x80, 0x80, 0, 0xB3, 0xB3, 0xB3, 0, 0xE0, 0x20, 0x80, 0xE0, 0x20, 0x80, 0, 0])


def reply(data, offset=0, error=0):
    """A memory reply 0x21: size/error byte, offset from the address asked for, the data."""
    return bytes([0x21, ((len(data) - 1) << 4) | error, offset & 0xFF]) + data


def status(flags, battery=0xC0):
    return bytes([0x20, flags, battery])


def data_report(report_id, ext=b""):
    body = bytes([0, 0]) + ext
    return bytes([report_id]) + body + bytes(21 - len(body))


def read_memory(answer):
    """The read request (a write) and its replies."""
    return OK + answer


def connect():
    """Identity, accelerometer calibration, status without extension, reporting mode."""
    return (read_memory(reply(bytes(range(9)))) +
            read_memory(reply(bytes([0x80, 0x80, 0x80, 0, 0x9A, 0x9A, 0x9A]))) +
            OK + status(0x10) + OK)


def identify(ext_id, cal_answer):
    """Mode with extension, the two initialising writes, identifier, calibration."""
    return OK + OK + OK + read_memory(reply(ext_id)) + read_memory(cal_answer)


def pass_with(status_part, data_part):
    """A worker step: status request, status (with what it starts), a fresh data report ends it."""
    return bytes([ACT_PASS]) + OK + status_part + FRESH + data_part


INPUTS = {
    # Polling off, wm_GetStatus: the status report shows an extension and the identifier
    # read fails. The remote is torn down inside the read the status request made.
    "use_after_free_status_identify.bin":
        connect() + bytes([ACT_AUTOUPDATE, 0, ACT_GET_STATUS]) + OK + status(0x12) +
        OK + OK + OK + OK + FAIL,
    # A Classic Controller identified and unplugged; plugged again, its calibration read
    # fails; a data report then decodes Classic stick values; a Nunchuk is identified next.
    "garbage_free_failed_calibration.bin":
        connect() +
        pass_with(status(0x12) + identify(CLASSIC_ID, reply(CLASSIC_CAL)), data_report(0x32, bytes(6))) +
        pass_with(status(0x10) + OK, data_report(0x30)) +
        pass_with(status(0x12) + identify(CLASSIC_ID, reply(b"\0", error=7)),
                  data_report(0x32, bytes([0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF]))) +
        pass_with(status(0x12) + identify(NUNCHUK_ID, reply(NUNCHUK_CAL)), data_report(0x32, bytes(6))),
    # The calibration read is answered by one reply with only its last four bytes.
    "uninitialised_calibration_last_bytes.bin":
        connect() +
        pass_with(status(0x12) + identify(NUNCHUK_ID, reply(NUNCHUK_CAL[12:], offset=12)),
                  data_report(0x32, bytes(6))),
}


def entry(kind=0, keys=(), mouse=0, amount=0, path=None, path_length=None):
    """One 28-byte entry of a settings file."""
    keys = list(keys) + [0] * (3 - len(keys))
    length = len(path) if path_length is None and path is not None else (path_length or 0)
    return (struct.pack("<B3xi3HBxH2x", kind, len([k for k in keys if k]), *keys, mouse, amount) +
            struct.pack("<iI", length, 1 if path is not None else 0))


def settings_file(version, entries, tail=b"\x01\x00\x00\x00\x01\x02"):
    """A version-1 or 3 file: header, 40 entries, the paths in slot order, the tail."""
    entries = dict(entries)
    body = b"".join(entries.get(i, (entry(), None))[0] for i in range(40))
    paths = b"".join(entries[i][1] for i in sorted(entries) if entries[i][1] is not None)
    return struct.pack("<I", version) + body + paths + (tail if version == 3 else tail[:5])


def with_path(path, **kw):
    return (entry(kind=3, path=path, **kw), path)


BASE = {
    0: with_path(b"C:\\a.exe"),
    5: (entry(kind=1, keys=(0x11, 0x10, ord("S"))), None),
    6: (entry(kind=2, mouse=10, amount=250), None),
    17: with_path("メモ帳.exe".encode("cp932")),
    39: with_path(b"D:\\tools\\run.bat"),
}

OLD_IMAGE = (struct.pack("<I", 652) +
             b"".join(struct.pack("<B3xi3H2x", 1 if i % 3 == 0 else 0, 2, 0x11, ord("A") + i % 26, 0)
                      for i in range(40)) +
             bytes([1, 0, 1, 0, 1, 0, 0, 0]))

def extra_block(layout, slots, layer2, leds=b"\x00\x01\x00\x01", version=1, length_change=0, pointer=b""):
    """The extra block after a version-3 layout: the tag, its version, the payload's length;
    per layer-1 slot kind (the layout's unless given), press mode, turbo rate, layer mode; the
    layer-2 LEDs; the layer-2 entries with their press mode and rate; in version 2 the pointer's
    6 bytes; their path texts."""
    kinds = [layout[i][0][0] if i in layout else 0 for i in range(40)]
    body = b"".join(bytes(slots.get(i, (kinds[i], 0, 0, 0))) for i in range(40)) + leds
    plain = (entry(), None, 0, 0)
    body += b"".join(layer2.get(i, plain)[0] + bytes(layer2.get(i, plain)[2:]) for i in range(40))
    body += pointer
    body += b"".join(layer2[i][1] for i in sorted(layer2) if layer2[i][1] is not None)
    return b"ZXTR" + struct.pack("<II", version, len(body) + length_change) + body


# Slot 3 (HOME) a layer slot, empty and disabled in the layout; slot 5 turbo at 20 a second,
# slot 6 toggle; layer 2 with a key in turbo, a click in toggle and an application path.
EXTRA_LAYOUT = {**BASE, 3: (entry(), None)}
EXTRA_SLOTS = {3: (4, 0, 0, 1), 5: (1, 1, 20, 0), 6: (2, 2, 0, 0)}
EXTRA_LAYER2 = {
    0: (entry(kind=1, keys=(0x41,)), None, 1, 0),
    1: (entry(kind=2, mouse=3), None, 2, 0),
    4: (entry(kind=3, path=b"C:\\b.exe"), b"C:\\b.exe", 0, 0),
}
WITH_EXTRAS = settings_file(3, EXTRA_LAYOUT) + extra_block(EXTRA_LAYOUT, EXTRA_SLOTS, EXTRA_LAYER2)

SETTINGS = {
    "version3_paths_keys_mouse.zan": settings_file(3, BASE),
    "version1.zan": settings_file(1, BASE),
    "oldest_652_bytes.zan": OLD_IMAGE,
    "truncated_in_entries.zan": settings_file(3, BASE)[:600],
    "unknown_header_2.zan": settings_file(2, BASE),
    # An unknown kind, a key count and a mouse action out of range: loaded, then put in range.
    "fields_out_of_range.zan": settings_file(3, {1: (struct.pack("<B3xi3HBxH2xiI", 9, 7, 1, 2, 3, 200, 5, 0, 0), None)}),
    # A path length that runs past the end of the file.
    "path_length_past_end.zan": settings_file(3, {2: (entry(kind=3, path=b"x", path_length=0x7FFFFFFF), b"x")}),
    # The extra block: whole, then with a length one short (a byte after it) and cut short.
    "version3_extra_block.zan": WITH_EXTRAS,
    "extra_block_length_short.zan": settings_file(3, EXTRA_LAYOUT) + extra_block(EXTRA_LAYOUT, EXTRA_SLOTS, EXTRA_LAYER2,
                                                                                 length_change=-1),
    "extra_block_truncated.zan": WITH_EXTRAS[:-3],
    # Version 2: an IR pointer, bar below, area 45, slot 1 off screen (the gyro's speed and hold
    # slot out of range).
    "extra_block_pointer.zan": settings_file(3, EXTRA_LAYOUT) + extra_block(EXTRA_LAYOUT, EXTRA_SLOTS, EXTRA_LAYER2,
                                                                            version=2, pointer=bytes([1, 1, 45, 1, 30, 40])),
}


def write_all(folder, inputs):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "tests", "fuzz_inputs", folder)
    os.makedirs(out, exist_ok=True)
    for name, data in inputs.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{folder}/{name}: {len(data)} bytes")


def main():
    write_all("report", INPUTS)
    write_all("settings", SETTINGS)
    return 0


if __name__ == "__main__":
    sys.exit(main())
