"""Reads the parts of a PE32+ image that the hardening checks and the size
report need: headers, sections, data directories, imports and delay imports.
Stdlib only, so that it runs wherever the tests do."""

import struct

IMAGE_FILE_RELOCS_STRIPPED = 0x0001

IMAGE_SUBSYSTEM_WINDOWS_GUI = 2

DLLCHAR_HIGH_ENTROPY_VA = 0x0020
DLLCHAR_DYNAMIC_BASE = 0x0040
DLLCHAR_NX_COMPAT = 0x0100

SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_WRITE = 0x80000000

DIR_EXPORT = 0
DIR_IMPORT = 1
DIR_RESOURCE = 2
DIR_BASERELOC = 5
DIR_DEBUG = 6
DIR_DELAY_IMPORT = 13


class PeError(ValueError):
    pass


class Section:
    def __init__(self, name, virtual_size, virtual_address, raw_size, raw_offset, flags):
        self.name = name
        self.virtual_size = virtual_size
        self.virtual_address = virtual_address
        self.raw_size = raw_size
        self.raw_offset = raw_offset
        self.flags = flags

    def contains_rva(self, rva):
        size = max(self.virtual_size, self.raw_size)
        return self.virtual_address <= rva < self.virtual_address + size


class PeFile:
    def __init__(self, data):
        self.data = bytes(data)
        if self.data[:2] != b"MZ":
            raise PeError("no MZ header")
        (self.pe_offset,) = self._unpack("<I", 0x3C)
        if self.data[self.pe_offset:self.pe_offset + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = self.pe_offset + 4
        (self.machine, section_count, self.time_date_stamp, _, _, optional_size,
         self.characteristics) = self._unpack("<HHIIIHH", coff)
        self.optional_offset = coff + 20
        (self.magic,) = self._unpack("<H", self.optional_offset)
        if self.magic != 0x20B:
            raise PeError("not a PE32+ image (magic 0x%x)" % self.magic)
        o = self.optional_offset
        (self.image_base,) = self._unpack("<Q", o + 24)
        (self.size_of_image,) = self._unpack("<I", o + 56)
        self.subsystem, self.dll_characteristics = self._unpack("<HH", o + 68)
        (directory_count,) = self._unpack("<I", o + 108)
        self.directories = [self._unpack("<II", o + 112 + 8 * i) for i in range(directory_count)]
        self.sections = []
        table = o + optional_size
        for i in range(section_count):
            entry = table + 40 * i
            name = self.data[entry:entry + 8].rstrip(b"\0").decode("ascii", "replace")
            vsize, vaddr, rsize, roffset = self._unpack("<IIII", entry + 8)
            (flags,) = self._unpack("<I", entry + 36)
            self.sections.append(Section(name, vsize, vaddr, rsize, roffset, flags))

    @classmethod
    def load(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    def _unpack(self, fmt, offset):
        size = struct.calcsize(fmt)
        if offset < 0 or offset + size > len(self.data):
            raise PeError("read past the end of the file at 0x%x" % offset)
        return struct.unpack_from(fmt, self.data, offset)

    def directory(self, index):
        """(rva, size) of a data directory, (0, 0) when the image has none."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def section_of(self, rva):
        for section in self.sections:
            if section.contains_rva(rva):
                return section
        return None

    def offset_of(self, rva):
        section = self.section_of(rva)
        if section is None:
            raise PeError("RVA 0x%x lies in no section" % rva)
        return section.raw_offset + rva - section.virtual_address

    def read_at_rva(self, fmt, rva):
        return self._unpack(fmt, self.offset_of(rva))

    def string_at_rva(self, rva):
        start = self.offset_of(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii", "replace")

    def _thunk_names(self, rva):
        names = []
        while True:
            (thunk,) = self.read_at_rva("<Q", rva)
            if thunk == 0:
                return names
            if thunk & (1 << 63):
                names.append("#%d" % (thunk & 0xFFFF))
            else:
                names.append(self.string_at_rva((thunk & 0x7FFFFFFF) + 2))
            rva += 8

    def imports(self):
        """{dll name: [function names]} of the import directory."""
        result = {}
        rva, size = self.directory(DIR_IMPORT)
        if size == 0:
            return result
        while True:
            lookup, _, _, name_rva, address = self.read_at_rva("<IIIII", rva)
            if name_rva == 0:
                return result
            result[self.string_at_rva(name_rva)] = self._thunk_names(lookup or address)
            rva += 20

    def delay_imports(self):
        """{dll name: [function names]} of the delay-load import directory."""
        result = {}
        rva, size = self.directory(DIR_DELAY_IMPORT)
        if size == 0:
            return result
        while True:
            (_, name_rva, _, _, names_rva, _, _, _) = self.read_at_rva("<IIIIIIII", rva)
            if name_rva == 0:
                return result
            result[self.string_at_rva(name_rva)] = self._thunk_names(names_rva)
            rva += 32

    def relocation_count(self):
        """Number of base relocation entries that are not padding."""
        rva, size = self.directory(DIR_BASERELOC)
        count = 0
        end = rva + size
        while rva + 8 <= end:
            _, block_size = self.read_at_rva("<II", rva)
            if block_size < 8:
                raise PeError("malformed base relocation block at RVA 0x%x" % rva)
            for i in range((block_size - 8) // 2):
                (entry,) = self.read_at_rva("<H", rva + 8 + 2 * i)
                if entry >> 12 != 0:  # type 0 only pads a block
                    count += 1
            rva += block_size
        return count

    def debug_time_stamps(self):
        rva, size = self.directory(DIR_DEBUG)
        return [self.read_at_rva("<I", rva + 28 * i + 4)[0] for i in range(size // 28)]

    def resource_time_stamp(self):
        rva, size = self.directory(DIR_RESOURCE)
        return self.read_at_rva("<I", rva + 4)[0] if size else 0

    def export_time_stamp(self):
        rva, size = self.directory(DIR_EXPORT)
        return self.read_at_rva("<I", rva + 4)[0] if size else 0
