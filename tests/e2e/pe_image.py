"""Reads what the end-to-end checks need from a Windows executable file: its machine type, the DLLs
it imports and its resources, without running it (so an x86 build can be checked on a host that
cannot run 32-bit programs)."""

import struct

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
RT_MANIFEST = 24


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
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
