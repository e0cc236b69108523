#!/usr/bin/env python3
"""Writes the sample programs of data/samples as Intel HEX and BIN files.

The programs are small but real-looking: a 14-bit LED blinker with a delay loop and a
16-bit timer-driven counter. The project files (.vk) are made from them with
`kt90ctl convert`, see tools/make_samples.sh.
"""
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent.parent / "data" / "samples"


def blink14():
    # Mid-range 14-bit instruction words: reset vector jumps to main, main toggles a port
    # bit and calls a nested delay loop.
    words = [
        0x2805,  # 0000 goto main
        0x3FFF, 0x3FFF, 0x3FFF,
        0x0009,  # 0004 retfie (interrupt vector)
        0x3007,  # 0005 main: movlw 0x07
        0x0099,  # 0006 movwf CMCON
        0x1683,  # 0007 bsf STATUS,RP0
        0x1005,  # 0008 bcf TRISIO,0
        0x1283,  # 0009 bcf STATUS,RP0
        0x3001,  # 000A loop: movlw 0x01
        0x0685,  # 000B xorwf GPIO,f
        0x2010,  # 000C call delay
        0x280A,  # 000D goto loop
        0x3FFF, 0x3FFF,
        0x30C8,  # 0010 delay: movlw 200
        0x00A0,  # 0011 movwf 0x20
        0x30FA,  # 0012 outer: movlw 250
        0x00A1,  # 0013 movwf 0x21
        0x0000,  # 0014 inner: nop
        0x0BA1,  # 0015 decfsz 0x21,f
        0x2814,  # 0016 goto inner
        0x0BA0,  # 0017 decfsz 0x20,f
        0x2812,  # 0018 goto outer
        0x3400,  # 0019 retlw 0
    ]
    # A rolling-code slot: retlw placeholders the programmer fills per chip.
    words += [0x3FFF] * (0x40 - len(words)) + [0x3400, 0x3400, 0x3400, 0x3400]
    return words


def counter16():
    # 16-bit words: a timer-tick counter with a lookup table at 0x100.
    words = [0xEF10, 0xF000]  # goto main
    words += [0xFFFF] * 6
    words += [0x0E3F, 0x6E92, 0x6A80, 0x0E07, 0x6ED5, 0xA4F2, 0xD7FE, 0x94F2,
              0x2A20, 0x5020, 0x0B0F, 0xDC10, 0x6E81, 0xD7F6]
    words += [0xFFFF] * (0x100 - len(words))
    words += [0x0C3F, 0x0C06, 0x0C5B, 0x0C4F, 0x0C66, 0x0C6D, 0x0C7D, 0x0C07,
              0x0C7F, 0x0C6F]
    return words


def hex_file(words):
    data = b"".join(struct.pack("<H", w) for w in words)
    lines = [":020000040000FA"]
    for offset in range(0, len(data), 16):
        chunk = data[offset:offset + 16]
        record = bytes([len(chunk), offset >> 8, offset & 0xFF, 0]) + chunk
        lines.append(":" + record.hex().upper() + "%02X" % ((-sum(record)) & 0xFF))
    lines.append(":00000001FF")
    return "\r\n".join(lines) + "\r\n"


def pro_encode(plain, key):
    """The PRO block coding: out[i] = ((in[i] ^ key[i % k]) - in[i - 1]) mod 256."""
    encoded = bytearray()
    previous = 0
    for i, byte in enumerate(plain):
        value = ((byte + previous) & 0xFF) ^ key[i % len(key)]
        encoded.append(value)
        previous = value
    return bytes(encoded)


def pro_file(chip, words, options, flags):
    key = bytes((0x3C + 7 * i) & 0xFF for i in range(16))
    code = b"".join(struct.pack("<H", w) for w in words)
    option_bytes = b"".join(struct.pack("<H", w) for w in options)
    name = chip.encode("utf-16-le") + b"\0\0"
    key_record = b"KEY0" + bytes(8) + struct.pack("<I", len(key)) + key
    blobs = [key_record, name, pro_encode(code, key), pro_encode(option_bytes, key), bytes([flags])]
    entry_types = [(0x03000010, 0), (0x02000202, 0), (0x01000201, 0), (0x01000201, 0x4000), (0x01000221, 0)]
    table_end = 32 + 16 * (len(entry_types) + 1)
    entries = b""
    offset = table_end
    body = b""
    for (kind, parameter), blob in zip(entry_types, blobs):
        entries += struct.pack("<IIII", kind, parameter, offset, len(blob))
        body += blob
        offset += len(blob)
    entries += struct.pack("<IIII", 0x0300020A, 0, 0, 0)  # rolling code off
    size = table_end + len(body)
    head = b"PRO" + b"KT90-PRJ1" + struct.pack("<I", size) + bytes(12) + struct.pack("<I", len(entry_types) + 1)
    return head + entries + body


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    (OUT / "blink_vk1620.hex").write_bytes(hex_file(blink14()).encode())
    (OUT / "counter_qd45c8k.hex").write_bytes(hex_file(counter16()).encode())
    options = [0x3A4C, 0x3DF5, 0x3FFF, 0x3FFF, 0x3FFF, 0x3FFF, 0x3FFF, 0x3FFF]
    (OUT / "blink_vk1620.pro").write_bytes(pro_file("VK1620", blink14() + [0x3FFF] * (1024 - len(blink14())), options, 0x0E))
    (OUT / "blink_qd46k300t1.bin").write_bytes(b"".join(struct.pack("<H", w) for w in blink14()))


if __name__ == "__main__":
    main()
