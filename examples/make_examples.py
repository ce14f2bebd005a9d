#!/usr/bin/env python3
"""Writes the sample trees old/Sample.app and new/Sample.app.

Run from anywhere; the trees are written beside this script. The sidecar files
("._NAME") carry resource forks and file-browser information the way copies from
the desktop system do.
"""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def resource_file(resources):
    """A resource file image from (type, id, name or None, attributes, data) tuples."""
    data_area = b""
    offsets = []
    for _type, _id, _name, _attrs, data in resources:
        offsets.append(len(data_area))
        data_area += struct.pack(">I", len(data)) + data
    types = []
    for r in resources:
        if r[0] not in types:
            types.append(r[0])
    names = b""
    type_list = struct.pack(">H", len(types) - 1)
    ref_lists = b""
    ref_start = 2 + 8 * len(types)
    for t in types:
        refs = [(i, r) for i, r in enumerate(resources) if r[0] == t]
        type_list += t + struct.pack(">HH", len(refs) - 1, ref_start + len(ref_lists))
        for i, (_t, rid, name, attrs, _data) in refs:
            name_off = 0xFFFF
            if name is not None:
                name_off = len(names)
                names += bytes([len(name)]) + name
            off = offsets[i]
            ref_lists += struct.pack(">hHB", rid, name_off, attrs) + off.to_bytes(3, "big") + b"\0\0\0\0"
    map_body = type_list + ref_lists
    data_offset = 256
    map_offset = data_offset + len(data_area)
    map_len = 28 + len(map_body) + len(names)
    header = struct.pack(">IIII", data_offset, map_offset, len(data_area), map_len)
    rmap = header + b"\0" * 4 + b"\0\0" + struct.pack(">HHH", 0, 28, 28 + len(map_body)) + map_body + names
    return header + b"\0" * (data_offset - 16) + data_area + rmap


def sidecar(finfo=None, rsrc=None):
    entries = []
    if finfo is not None:
        entries.append((9, finfo))
    if rsrc is not None:
        entries.append((2, rsrc))
    head = struct.pack(">II", 0x00051607, 0x00020000) + b"\0" * 16 + struct.pack(">H", len(entries))
    offset = len(head) + 12 * len(entries)
    descs, body = b"", b""
    for eid, data in entries:
        descs += struct.pack(">III", eid, offset + len(body), len(data))
        body += data
    return head + descs + body


def browser_info(ftype, creator, flags, script=0):
    return ftype + creator + struct.pack(">H", flags) + b"\0" * 14 + bytes([script, 0]) + b"\0" * 6


def strings_utf16(entries, comments=None):
    text = ""
    for k, v in entries:
        if comments and k in comments:
            text += "/* %s */\n" % comments[k]
        text += '"%s" = "%s";\n\n' % (k, v)
    return b"\xff\xfe" + text.encode("utf-16-le")


def write(root, rel, data):
    path = os.path.join(root, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


def build(side):
    root = os.path.join(HERE, side, "Sample.app")
    shutil.rmtree(root, ignore_errors=True)
    new = side == "new"
    res = "Contents/Resources/"
    write(root, "Contents/Properties.plist",
          '<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0">\n<dict>\n'
          '\t<key>ZFBundleName</key>\n\t<string>Sample</string>\n'
          '\t<key>ZFBundleShortVersionString</key>\n\t<string>%s</string>\n</dict>\n</plist>\n'
          % ("1.1" if new else "1.0"))
    write(root, "Contents/PkgInfo", "APPLSmpl")
    write(root, "Contents/Program/Sample", bytes(range(256)) * 4)
    lproj = res + "English.lproj/"
    write(root, lproj + "Localizable.strings", strings_utf16(
        [("OK", "OK"), ("Cancel", "Annuler" if new else "Cancel"),
         ("Quit", "Quit"), ("Open", "Open")] + ([("Save", "Save")] if new else [("Print", "Print")]),
        {"OK": "Button title", "Cancel": "Button title" if not new else "Button title (dialog)"}))
    write(root, lproj + "Properties.strings",
          '\ufeff/* Localized versions of the bundle properties */\n\nZFBundleName = "Sample";\n'
          'ZFBundleShortVersionString = "%s";\n' % ("1.1" if new else "1.0"))
    write(root, lproj + "Help.txt", "Welcome to Sample.\nChoose File > Open.\n" +
          ("Choose File > Save to keep your work.\n" if new else ""))
    write(root, lproj + "ReadMe.txt", "This file is the same on both sides.\n")
    if new:
        write(root, lproj + "WhatsNew.txt", "Saving is new in 1.1.\n")
    else:
        write(root, lproj + "Tips.txt", "This file was removed in 1.1.\n")
    # A classic resource file: the data fork is empty, the resources are in the
    # sidecar's resource fork; the new side changes one string and the label.
    resources = [(b"STR ", 128, b"Greeting", 0, b"\x05Hello"),
                 (b"STR ", 129, None, 0, b"\x07Goodbye" if not new else b"\x06Bye...")]
    write(root, lproj + "Sample.rsrc", b"")
    write(root, lproj + "._Sample.rsrc",
          sidecar(browser_info(b"rsrc", b"SmEd", 0x000C if new else 0x0000), resource_file(resources)))
    write(root, lproj + "Sample.icns", bytes([0x69, 0x63, 0x6E, 0x73]) + bytes(60))
    if new:
        write(root, res + "French.lproj/Localizable.strings", strings_utf16([("OK", "OK"), ("Cancel", "Annuler")]))
    else:
        write(root, res + "German.lproj/Localizable.strings", strings_utf16([("OK", "OK"), ("Cancel", "Abbrechen")]))


if __name__ == "__main__":
    build("old")
    build("new")
