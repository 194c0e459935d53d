"""Reads what the end-to-end checks need from a Windows executable file: its machine type, the DLLs
it imports and its resources, without running it (so an x86 build can be checked on a host that
cannot run 32-bit programs)."""

import struct

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
RT_VERSION = 16
RT_MANIFEST = 24
VS_FIXEDFILEINFO_SIGNATURE = 0xFEEF04BD


class PeImage:
    def __init__(self, path=None, data=None):
        if data is None:
            with open(path, "rb") as f:
                data = f.read()
        self.data = data
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path}: not an MZ executable")
        pe = self._u32(0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE header")
        coff = pe + 4
        self.machine = self._u16(coff)
        sections = self._u16(coff + 2)
        optional_size = self._u16(coff + 16)
        optional = coff + 20
        magic = self._u16(optional)
        if magic not in (0x10B, 0x20B):
            raise ValueError(f"{path}: unknown optional header 0x{magic:x}")
        self.is_64bit = magic == 0x20B
        directories = optional + (112 if self.is_64bit else 96)
        self._directories = [(self._u32(directories + 8 * i), self._u32(directories + 8 * i + 4))
                             for i in range(min(16, self._u32(directories - 4)))]
        table = optional + optional_size
        self._sections = []
        for i in range(sections):
            at = table + 40 * i
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", self.data, at + 8)
            self._sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    @classmethod
    def from_bytes(cls, data, name="<bytes>"):
        return cls(name, data)

    def _u16(self, at):
        return struct.unpack_from("<H", self.data, at)[0]

    def _u32(self, at):
        return struct.unpack_from("<I", self.data, at)[0]

    def _offset(self, rva):
        for address, size, raw in self._sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError(f"address 0x{rva:x} lies in no section")

    def _c_string(self, at):
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imported_dlls(self):
        rva, size = self._directories[1]
        names = []
        if not rva:
            return names
        at = self._offset(rva)
        while True:
            name_rva = self._u32(at + 12)
            if name_rva == 0:
                return names
            names.append(self._c_string(self._offset(name_rva)))
            at += 20

    def resource(self, kind, ident):
        """The bytes of the first language of resource (kind, ident), or None."""
        rva, _ = self._directories[2]
        if not rva:
            return None
        base = self._offset(rva)

        def entries(directory):
            named, numbered = self._u16(directory + 12), self._u16(directory + 14)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
                yield name, target

        def child(directory, wanted):
            for name, target in entries(directory):
                if name == wanted and target & 0x80000000:
                    return base + (target & 0x7FFFFFFF)
            return None

        by_kind = child(base, kind)
        by_ident = child(by_kind, ident) if by_kind is not None else None
        if by_ident is None:
            return None
        for _, target in entries(by_ident):
            if target & 0x80000000:
                continue
            data_rva, size = struct.unpack_from("<II", self.data, base + target)
            start = self._offset(data_rva)
            return self.data[start:start + size]
        return None

    def version_info(self):
        """The version resource as (fixed, strings): fixed holds "FileVersion" and
        "ProductVersion" as four-number tuples from its binary part, strings every text value of
        every string table; None without a version resource."""
        data = self.resource(RT_VERSION, 1)
        if data is None:
            return None
        return parse_version_info(data)


def _version_node(data, at):
    """One node of a version resource: length, value length, type, key, start of its value, end."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value = (key_end + 2 + 3) & ~3
    return length, value_length, kind, key, value, at + length


def _children(data, start, end):
    at = (start + 3) & ~3
    while at < end:
        length = struct.unpack_from("<H", data, at)[0]
        if length == 0:
            return
        yield at
        at = (at + length + 3) & ~3


def parse_version_info(data):
    length, value_length, _, key, value, end = _version_node(data, 0)
    if key != "VS_VERSION_INFO" or value_length < 52:
        raise ValueError(f"not a version resource: {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, value)
    if signature != VS_FIXEDFILEINFO_SIGNATURE:
        raise ValueError(f"bad fixed file info signature 0x{signature:08x}")

    def four(ms, ls):
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)

    fixed = {"FileVersion": four(file_ms, file_ls), "ProductVersion": four(product_ms, product_ls)}
    strings = {}
    for block in _children(data, value + value_length, min(end, len(data))):
        _, _, _, block_key, block_value, block_end = _version_node(data, block)
        if block_key != "StringFileInfo":
            continue
        for table in _children(data, block_value, block_end):
            _, _, _, _, table_value, table_end = _version_node(data, table)
            for entry in _children(data, table_value, table_end):
                _, chars, _, name, text_at, _ = _version_node(data, entry)
                text = data[text_at:text_at + 2 * chars].decode("utf-16-le")
                strings[name] = text.rstrip("\0")
    return fixed, strings
