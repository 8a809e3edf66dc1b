"""Reads a compiled HTML Help (.chm) file: its directory and the contents of
the files inside, both the stored ones and the LZX-compressed ones.

Only what the help checks need: the ITSF header, the ITSP directory with its
PMGL listing chunks, section 0 (stored) and section 1 (MSCompressed, LZX with
the reset table of the content section).
"""

import struct

LZX_GUID_DIR = "{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}"
CONTENT = "::DataSpace/Storage/MSCompressed/Content"
CONTROL_DATA = "::DataSpace/Storage/MSCompressed/ControlData"
RESET_TABLE = ("::DataSpace/Storage/MSCompressed/Transform/" + LZX_GUID_DIR
               + "/InstanceData/ResetTable")


class ChmError(Exception):
    pass


def read_encint(data, pos):
    """A 7-bit big-endian number whose bytes but the last have the top bit set."""
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


class ChmFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.entries = {}  # name -> (section, offset, length)
        self._section1 = None
        self._read_header()
        self._read_directory()

    def _read_header(self):
        d = self.data
        if d[:4] != b"ITSF":
            raise ChmError("not an ITSF file")
        version, header_length = struct.unpack_from("<II", d, 4)
        self.lcid = struct.unpack_from("<I", d, 0x14)[0]
        self.dir_offset, self.dir_length = struct.unpack_from("<QQ", d, 0x48)
        if version >= 3:
            self.content_offset = struct.unpack_from("<Q", d, 0x58)[0]
        else:
            self.content_offset = self.dir_offset + self.dir_length

    def _read_directory(self):
        d = self.data
        base = self.dir_offset
        if d[base:base + 4] != b"ITSP":
            raise ChmError("no ITSP directory")
        header_length, _, chunk_size = struct.unpack_from("<III", d, base + 8)
        chunk_count = struct.unpack_from("<I", d, base + 0x2C)[0]
        for i in range(chunk_count):
            start = base + header_length + i * chunk_size
            chunk = d[start:start + chunk_size]
            if chunk[:4] != b"PMGL":
                continue
            free = struct.unpack_from("<I", chunk, 4)[0]
            pos, end = 0x14, chunk_size - free
            while pos < end:
                length, pos = read_encint(chunk, pos)
                name = chunk[pos:pos + length].decode("utf-8")
                pos += length
                section, pos = read_encint(chunk, pos)
                offset, pos = read_encint(chunk, pos)
                size, pos = read_encint(chunk, pos)
                self.entries[name] = (section, offset, size)

    def names(self):
        return sorted(self.entries)

    def has(self, name):
        return name in self.entries

    def read(self, name):
        if name not in self.entries:
            raise ChmError("no file %s" % name)
        section, offset, size = self.entries[name]
        if section == 0:
            start = self.content_offset + offset
            return self.data[start:start + size]
        if section == 1:
            return self._decompressed()[offset:offset + size]
        raise ChmError("unknown section %d for %s" % (section, name))

    def _decompressed(self):
        if self._section1 is None:
            control = self.read(CONTROL_DATA)
            if control[4:8] != b"LZXC":
                raise ChmError("section 1 is not LZX")
            version, reset_interval, window_size, windows_per_reset = struct.unpack_from(
                "<IIII", control, 8)
            if version == 2:
                reset_interval *= 0x8000
                window_size *= 0x8000
            table = self.read(RESET_TABLE)
            count, entry_size, table_header = struct.unpack_from("<III", table, 4)
            uncompressed, compressed, block_size = struct.unpack_from("<QQQ", table, 0x10)
            offsets = [struct.unpack_from("<Q", table, table_header + i * entry_size)[0]
                       for i in range(count)]
            content = self.read(CONTENT)
            frames_per_reset = reset_interval // (window_size // 2) * windows_per_reset
            self._section1 = lzx_decompress(content, offsets, block_size, uncompressed,
                                            window_size, max(frames_per_reset, 1))
        return self._section1


# --- LZX ------------------------------------------------------------------

NUM_CHARS = 256
PRETREE_SYMBOLS = 20
LENGTH_SYMBOLS = 249
ALIGNED_SYMBOLS = 8
MIN_MATCH = 2

EXTRA_BITS = []
POSITION_BASE = []


def _tables():
    j = 0
    for i in range(0, 52, 2):
        EXTRA_BITS.extend([j, j])
        if i != 0 and j < 17:
            j += 1
    j = 0
    for i in range(51):
        POSITION_BASE.append(j)
        j += 1 << EXTRA_BITS[i]


_tables()

POSITION_SLOTS = {15: 30, 16: 32, 17: 34, 18: 36, 19: 38, 20: 42, 21: 50}


class BitReader:
    """16-bit little-endian words read most significant bit first."""

    def __init__(self, data):
        self.data = data
        self.pos = 0
        self.buffer = 0
        self.left = 0

    def ensure(self, n):
        while self.left < n:
            lo = self.data[self.pos] if self.pos < len(self.data) else 0
            hi = self.data[self.pos + 1] if self.pos + 1 < len(self.data) else 0
            self.pos += 2
            self.buffer |= ((hi << 8) | lo) << (16 - self.left)
            self.left += 16

    def peek(self, n):
        return self.buffer >> (32 - n)

    def remove(self, n):
        self.buffer = (self.buffer << n) & 0xFFFFFFFF
        self.left -= n

    def read(self, n):
        if n == 0:
            return 0
        self.ensure(n)
        value = self.peek(n)
        self.remove(n)
        return value


class Huffman:
    """A canonical code from bit lengths, decoded through one lookup table."""

    def __init__(self, lengths):
        self.bits = max(lengths) if lengths else 0
        if self.bits == 0:
            self.table = None
            return
        size = 1 << self.bits
        table = [None] * size
        code = 0
        for length in range(1, self.bits + 1):
            for symbol, l in enumerate(lengths):
                if l != length:
                    continue
                start = code << (self.bits - length)
                span = 1 << (self.bits - length)
                if start + span > size:
                    raise ChmError("over-subscribed Huffman code")
                entry = (symbol, length)
                for k in range(start, start + span):
                    table[k] = entry
                code += 1
            code <<= 1
        self.table = table

    def decode(self, bits):
        if self.table is None:
            raise ChmError("symbol from an empty Huffman tree")
        bits.ensure(16)
        entry = self.table[bits.peek(self.bits)]
        if entry is None:
            raise ChmError("invalid Huffman code")
        symbol, length = entry
        bits.remove(length)
        return symbol


class LzxState:
    def __init__(self, window_size):
        window_bits = window_size.bit_length() - 1
        if window_bits not in POSITION_SLOTS:
            raise ChmError("unsupported LZX window %d" % window_size)
        self.window_size = window_size
        self.main_elements = NUM_CHARS + POSITION_SLOTS[window_bits] * 8
        self.window = bytearray(window_size)
        self.reset()

    def reset(self):
        self.r = [1, 1, 1]
        self.main_lengths = [0] * self.main_elements
        self.length_lengths = [0] * LENGTH_SYMBOLS
        self.header_read = False
        self.block_remaining = 0
        self.block_length = 0
        self.block_type = 0
        self.intel_filesize = 0
        self.intel_curpos = 0
        self.intel_started = False
        self.frames_read = 0
        self.position = 0
        self.emitted = 0
        self.main = self.length = self.aligned = None

    def read_lengths(self, bits, lengths, first, last):
        """Lengths are sent as differences to the previous tree's."""
        pre = Huffman([bits.read(4) for _ in range(PRETREE_SYMBOLS)])
        x = first

        def put(value):
            nonlocal x
            if x < len(lengths):
                lengths[x] = value
            x += 1

        while x < last:
            z = pre.decode(bits)
            if z == 17:
                for _ in range(bits.read(4) + 4):
                    put(0)
            elif z == 18:
                for _ in range(bits.read(5) + 20):
                    put(0)
            elif z == 19:
                run = bits.read(1) + 4
                z = pre.decode(bits)
                value = (lengths[x] - z + 17) % 17
                for _ in range(run):
                    put(value)
            else:
                put((lengths[x] - z + 17) % 17)

    def read_trees(self, bits):
        main = self.main_lengths
        self.read_lengths(bits, main, 0, NUM_CHARS)
        self.read_lengths(bits, main, NUM_CHARS, self.main_elements)
        self.main = Huffman(main)
        if main[0xE8]:
            self.intel_started = True
        self.read_lengths(bits, self.length_lengths, 0, LENGTH_SYMBOLS)
        self.length = Huffman(self.length_lengths)

    def read_block_header(self, bits, data):
        if self.block_type == 3:
            # An uncompressed block of odd length is padded to a whole word.
            if self.block_length & 1:
                bits.pos += 1
            bits.buffer = 0
            bits.left = 0
        self.block_type = bits.read(3)
        high = bits.read(16)
        low = bits.read(8)
        self.block_remaining = self.block_length = (high << 8) | low
        if self.block_type == 2:
            self.aligned = Huffman([bits.read(3) for _ in range(ALIGNED_SYMBOLS)])
            self.read_trees(bits)
        elif self.block_type == 1:
            self.read_trees(bits)
        elif self.block_type == 3:
            self.intel_started = True
            bits.ensure(16)
            if bits.left > 16:
                bits.pos -= 2
            self.r = [struct.unpack_from("<I", data, bits.pos + 4 * i)[0] for i in range(3)]
            bits.pos += 12
            bits.buffer = 0
            bits.left = 0
        else:
            raise ChmError("bad LZX block type %d" % self.block_type)

    def decode_match(self, bits, symbol):
        """Decodes one match; returns (length, offset) and updates R0..R2."""
        symbol -= NUM_CHARS
        length = symbol & 7
        if length == 7:
            length += self.length.decode(bits)
        length += MIN_MATCH
        slot = symbol >> 3
        if slot > 2:
            extra = EXTRA_BITS[slot]
            if self.block_type == 2:
                offset = POSITION_BASE[slot] - 2
                if extra > 3:
                    offset += bits.read(extra - 3) << 3
                    offset += self.aligned.decode(bits)
                elif extra == 3:
                    offset += self.aligned.decode(bits)
                elif extra > 0:
                    offset += bits.read(extra)
                else:
                    offset = 1
            else:
                offset = 1 if slot == 3 else POSITION_BASE[slot] - 2 + bits.read(extra)
            self.r = [offset, self.r[0], self.r[1]]
        elif slot == 0:
            offset = self.r[0]
        elif slot == 1:
            offset = self.r[1]
            self.r = [offset, self.r[0], self.r[2]]
        else:
            offset = self.r[2]
            self.r = [offset, self.r[1], self.r[0]]
        return length, offset

    def decompress_frame(self, data, out_length):
        """Decodes one frame from its own compressed bytes (the compressor
        re-aligns the bit stream at every frame end)."""
        bits = BitReader(data)
        if not self.header_read:
            if bits.read(1):
                high = bits.read(16)
                low = bits.read(16)
                self.intel_filesize = (high << 16) | low
            self.header_read = True
        window = self.window
        mask = self.window_size - 1
        target = self.emitted + out_length
        while self.position < target:
            if self.block_remaining == 0:
                self.read_block_header(bits, data)
            run = min(self.block_remaining, target - self.position)
            self.block_remaining -= run
            end = self.position + run
            if self.block_type == 3:
                for k in range(run):
                    window[(self.position + k) & mask] = data[bits.pos + k]
                bits.pos += run
                self.position = end
                continue
            while self.position < end:
                symbol = self.main.decode(bits)
                if symbol < NUM_CHARS:
                    window[self.position & mask] = symbol
                    self.position += 1
                    continue
                length, offset = self.decode_match(bits, symbol)
                for _ in range(length):
                    window[self.position & mask] = window[(self.position - offset) & mask]
                    self.position += 1
            # A match that ran past the end of this stretch used up more of
            # the block; its bytes open the next frame.
            self.block_remaining -= self.position - end

        out = bytearray(window[(self.emitted + k) & mask] for k in range(out_length))
        self.emitted = target
        self._intel(out)
        return bytes(out)

    def _intel(self, out):
        frame = self.frames_read
        self.frames_read += 1
        if frame >= 32768 or self.intel_filesize == 0:
            return
        if len(out) <= 6 or not self.intel_started:
            self.intel_curpos += len(out)
            return
        curpos = self.intel_curpos
        self.intel_curpos += len(out)
        i = 0
        end = len(out) - 10
        while i < end:
            if out[i] != 0xE8:
                i += 1
                curpos += 1
                continue
            absolute = struct.unpack_from("<i", out, i + 1)[0]
            if -curpos <= absolute < self.intel_filesize:
                relative = absolute - curpos if absolute >= 0 else absolute + self.intel_filesize
                struct.pack_into("<i", out, i + 1, relative)
            i += 5
            curpos += 5


def lzx_decompress(content, offsets, block_size, total, window_size, frames_per_reset):
    state = LzxState(window_size)
    out = bytearray()
    frame = 0
    while len(out) < total:
        if frame % frames_per_reset == 0:
            state.reset()
        begin = offsets[frame]
        end = offsets[frame + 1] if frame + 1 < len(offsets) else len(content)
        length = min(block_size, total - len(out))
        out += state.decompress_frame(content[begin:end], length)
        frame += 1
    return bytes(out)
