#!/usr/bin/env python3
"""Reads the version record of a Windows executable, here on Linux, for the
release script: the release is named after what the program says it is, not
after the name its file happens to have.

    scripts/pe-version.py FILE

Prints one line, "<version> <four numbers>", e.g. "0.1.0 0.1.0.0": the four
numbers are the product version of the record's fixed part (VS_FIXEDFILEINFO),
and the version is them without a fourth number of 0 (how the project writes
its version). The record's "ProductVersion" text, where there is one, must name
the same four numbers. Exit 1, with the reason on stderr, when the file is no
PE file, has no version record or the two disagree.

Follows the PE headers to the resource section, the RT_VERSION resource in it
and the VS_VERSIONINFO tree inside that; every offset is checked against the
file, as the file may be anything.
"""

import struct
import sys

RT_VERSION = 16
RESOURCE_DIRECTORY = 2
FIXED_SIGNATURE = 0xFEEF04BD


class NotReadable(Exception):
    pass


def unpack(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise NotReadable("the file ends inside its headers")
    return struct.unpack_from(fmt, data, offset)


def sections_and_resources(data):
    """The section table and the resource directory's (RVA, size)."""
    if data[:2] != b"MZ":
        raise NotReadable("not a Windows executable (no MZ header)")
    (pe,) = unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise NotReadable("not a PE file")
    _machine, section_count, _, _, _, optional_size, _ = unpack("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    (magic,) = unpack("<H", data, optional)
    if magic == 0x20B:
        count_at, directories = optional + 108, optional + 112
    elif magic == 0x10B:
        count_at, directories = optional + 92, optional + 96
    else:
        raise NotReadable("unknown optional header (magic 0x%X)" % magic)
    (directory_count,) = unpack("<I", data, count_at)
    if directory_count <= RESOURCE_DIRECTORY:
        raise NotReadable("no resource directory")
    resource_rva, resource_size = unpack("<II", data, directories + 8 * RESOURCE_DIRECTORY)
    sections = []
    for i in range(section_count):
        at = optional + optional_size + 40 * i
        virtual_size, virtual_address, raw_size, raw_offset = unpack("<IIII", data, at + 8)
        sections.append((virtual_address, max(virtual_size, raw_size), raw_offset, raw_size))
    if not resource_rva or not resource_size:
        raise NotReadable("no resources")
    return sections, resource_rva


def file_offset(sections, rva):
    for virtual_address, extent, raw_offset, raw_size in sections:
        if virtual_address <= rva < virtual_address + extent:
            if rva - virtual_address >= raw_size:
                break
            return raw_offset + rva - virtual_address
    raise NotReadable("address 0x%X lies in no section of the file" % rva)


def version_resource(data):
    """The bytes of the first RT_VERSION resource (any name, any language)."""
    sections, resource_rva = sections_and_resources(data)
    root = file_offset(sections, resource_rva)

    def entries(directory):
        _, _, _, _, named, numbered = unpack("<IIHHHH", data, root + directory)
        return [unpack("<II", data, root + directory + 16 + 8 * i) for i in range(named + numbered)]

    def first_leaf(entry_offset, depth):
        # Type, name and language: a leaf three levels down.
        if depth > 3:
            raise NotReadable("the resource tree is deeper than three levels")
        if entry_offset & 0x80000000:
            inner = entries(entry_offset & 0x7FFFFFFF)
            if not inner:
                raise NotReadable("an empty resource directory")
            return first_leaf(inner[0][1], depth + 1)
        return entry_offset

    for name, target in entries(0):
        if not name & 0x80000000 and name == RT_VERSION:
            leaf = first_leaf(target, 1)
            rva, size, _, _ = unpack("<IIII", data, root + leaf)
            start = file_offset(sections, rva)
            if start + size > len(data):
                raise NotReadable("the version record runs past the end of the file")
            return data[start:start + size]
    raise NotReadable("no version record")


def aligned(offset):
    return (offset + 3) & ~3


def parse_node(block, offset):
    """One node of the VS_VERSIONINFO tree: (key, value bytes, value is text,
    children, end offset)."""
    length, value_length, is_text = unpack("<HHH", block, offset)
    end = offset + length
    if length < 6 or end > len(block):
        raise NotReadable("a version record node of a wrong length")
    at = offset + 6
    key_end = at
    while key_end + 1 < end and block[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = block[at:key_end].decode("utf-16-le", "replace")
    at = aligned(key_end + 2)
    value_size = value_length * 2 if is_text else value_length
    value = block[at:min(at + value_size, end)]
    at = aligned(at + value_size)
    children = []
    while at + 6 <= end:
        child = parse_node(block, at)
        children.append(child)
        if child[4] <= at:
            break
        at = aligned(child[4])
    return key, value, bool(is_text), children, end


def product_versions(data):
    """(four numbers of the fixed part, the "ProductVersion" text or None)."""
    key, value, _, children, _ = parse_node(version_resource(data), 0)
    if key != "VS_VERSION_INFO" or len(value) < 52:
        raise NotReadable("the version record has no fixed part")
    signature, _, _, _, product_ms, product_ls = struct.unpack_from("<IIIIII", value, 0)
    if signature != FIXED_SIGNATURE:
        raise NotReadable("the version record's fixed part has a wrong signature")
    fixed = (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF)
    text = None
    for child_key, _, _, tables, _ in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, strings, _ in tables:
            for string_key, string_value, string_is_text, _, _ in strings:
                if string_key == "ProductVersion" and string_is_text and text is None:
                    text = string_value.decode("utf-16-le", "replace").rstrip("\0").strip()
    return fixed, text


def release_version(fixed):
    numbers = list(fixed)
    if numbers[3] == 0:
        numbers.pop()
    return ".".join(str(n) for n in numbers)


def main(argv):
    if len(argv) != 2:
        print("usage: pe-version.py FILE", file=sys.stderr)
        return 2
    try:
        with open(argv[1], "rb") as f:
            data = f.read()
        fixed, text = product_versions(data)
    except (OSError, NotReadable) as error:
        print("pe-version: %s: %s" % (argv[1], error), file=sys.stderr)
        return 1
    quad = ".".join(str(n) for n in fixed)
    if text is not None:
        parts = text.split(".")
        padded = parts + ["0"] * (4 - len(parts))
        if len(parts) > 4 or not all(p.isdigit() for p in parts) or \
                tuple(int(p) for p in padded) != fixed:
            print("pe-version: %s: its ProductVersion text %r is not its product version %s"
                  % (argv[1], text, quad), file=sys.stderr)
            return 1
    print(release_version(fixed), quad)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
