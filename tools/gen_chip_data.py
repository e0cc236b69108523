#!/usr/bin/env python3
"""Writes the shipped chip data of the program directory:

  data/CH_DEV/<model>.dev   chip definitions, Chinese item names (UTF-8 with BOM, CRLF)
  data/EN_DEV/<model>.dev   the same definitions with English item names
  data/CIF/<model>.cif      2,048-byte chip information blocks

Run from anywhere: python3 tools/gen_chip_data.py. The output is committed; rerun after
changing a chip below. Calibration entry names stay Chinese in both languages because the
calibration dialog recognises its entries by those names.
"""
from dataclasses import dataclass, field
from pathlib import Path
import struct

DATA = Path(__file__).resolve().parent.parent / "data"


@dataclass
class Choice:
    value: int
    zh: str
    en: str
    not_selectable: bool = False


@dataclass
class Field:  # ItemType 0: bits BitEnd..BitStart
    zh: str
    en: str
    bit_start: int
    bit_end: int
    choices: list
    default: int = 0  # choice given by the word's initial value

    def bits(self):
        return list(range(self.bit_end, self.bit_start + 1))


@dataclass
class BitList:  # ItemType 1: listed bits
    zh: str
    en: str
    bit_list: list
    choices: list
    default: int = 0

    def bits(self):
        return list(self.bit_list)


@dataclass
class Rule:  # ItemType 2: target bits from bit_end on = NOT source bits rev_start..rev_end
    bit_start: int
    bit_end: int
    rev_start: int
    rev_end: int
    source: int


@dataclass
class Calib:  # ItemType 3
    name: str
    type: int
    volt3: int
    enable: int
    rul: int
    min: int
    max: int
    lower_min: int
    lower_max: int
    upper_min: int
    upper_max: int


@dataclass
class Word:
    addr: int
    items: list


@dataclass
class Package:
    name: str
    pins: int
    kind: int  # 1 DIP, 2 SOP, 3 SOT23, 4 MSOP, 5 SSOP (adapter code in byte 7)

    def pin_map(self):
        """Bytes 0-4: socket pins used (40-pin socket, pin 1 at the top left),
        byte 5: pin count, byte 6: 0, byte 7: adapter kind."""
        half = self.pins // 2
        mask = 0
        for p in list(range(1, half + 1)) + list(range(41 - half, 41)):
            mask |= 1 << (p - 1)
        return list(mask.to_bytes(5, "little")) + [self.pins, 0, self.kind]


@dataclass
class Chip:
    model: str
    family: int
    bit_width: int
    size: int
    chip_id: int
    passwords: list
    words: list
    packages: list
    check_fm: int = 0
    file_version: int = None
    chip_id_addr: int = None
    chip_id2: int = None
    chip_id2_addr: int = None
    note: str = ""
    vpp_mv: int = 8500
    prog_pulse_us: int = 100


# Building blocks shared by the chips ------------------------------------------------

def on_off(zh, en, bit, default, active_low=False):
    v = 1 << bit
    if active_low:
        return Field(zh, en, bit, bit, [Choice(0, "使能", "Enabled"), Choice(v, "禁止", "Disabled")], default)
    return Field(zh, en, bit, bit, [Choice(0, "禁止", "Disabled"), Choice(v, "使能", "Enabled")], default)


def lvr_mode(start, default=1):
    s = start
    return Field("低压复位", "Low-voltage reset", s + 1, s, [
        Choice(0 << s, "禁止", "Disabled"),
        Choice(1 << s, "使能", "Enabled"),
        Choice(2 << s, "使能，睡眠时关闭", "Enabled, off in sleep"),
        Choice(3 << s, "由软件控制", "Software controlled")], default)


def lvr_voltage(start, levels, default, not_below=None):
    s = start
    choices = []
    for i, level in enumerate(levels):
        blocked = not_below is not None and level < not_below
        zh = f"{level:.1f}V" + ("（本型号不支持）" if blocked else "")
        en = f"{level:.1f} V" + (" (not on this model)" if blocked else "")
        choices.append(Choice(i << s, zh, en, blocked))
    top = s + (len(levels) - 1).bit_length() - 1
    return Field("低压复位电压", "LVR voltage", top, s, choices, default)


def reset_pin(bit, pin, default=0):
    v = 1 << bit
    return Field("复位管脚", "Reset pin", bit, bit, [
        Choice(0, f"{pin} 作为普通 I/O", f"{pin} as I/O"),
        Choice(v, f"{pin} 作为外部复位输入", f"{pin} as external reset")], default)


MODES = [0x00, 0x10, 0x20, 0x30]


def protection(mode, factory_lock=False):
    """Option word 13 (0x200D) bits 4-5: the protection mode."""
    return Field("代码保护", "Code protection", 5, 4, [
        Choice(0x00, "不保护", "Not protected"),
        Choice(0x10, "全部代码保护", "Whole program protected"),
        Choice(0x20, "保护前512字", "First 512 words protected"),
        Choice(0x30, "全部代码保护并锁定ID" + ("（需厂家授权）" if factory_lock else ""),
               "Whole program protected, ID locked" + (" (factory only)" if factory_lock else ""),
               factory_lock)], MODES.index(mode))


def wdt_period(bits, default=1):
    a, b = (1 << bits[0]), (1 << bits[1])
    return BitList("看门狗溢出时间", "Watchdog period", bits, [
        Choice(0, "18ms", "18 ms"), Choice(a, "72ms", "72 ms"),
        Choice(b, "288ms", "288 ms"), Choice(a | b, "1.15s", "1.15 s")], default)


def startup(start, default=2):
    s = start
    return Field("上电延时", "Power-up delay", s + 1, s, [
        Choice(0 << s, "无", "None"), Choice(1 << s, "4.5ms", "4.5 ms"),
        Choice(2 << s, "18ms", "18 ms"), Choice(3 << s, "72ms", "72 ms")], default)


def oscillator(bits, with_crystal, default=0):
    choices = [
        Choice(0, "内部RC 16MHz", "Internal RC 16 MHz"),
        Choice(1, "内部RC 8MHz", "Internal RC 8 MHz"),
        Choice(2, "内部RC 4MHz", "Internal RC 4 MHz"),
        Choice(3, "外部时钟输入", "External clock input")]
    if bits == 3:
        no = "" if with_crystal else "（本封装无晶振管脚）"
        no_en = "" if with_crystal else " (no crystal pins)"
        choices += [
            Choice(4, "XT 外部晶振 (0.4-4MHz)" + no, "XT crystal (0.4-4 MHz)" + no_en, not with_crystal),
            Choice(5, "HS 外部晶振 (4-20MHz)" + no, "HS crystal (4-20 MHz)" + no_en, not with_crystal),
            Choice(6, "LP 外部低频晶振 (32.768kHz)" + no, "LP crystal (32.768 kHz)" + no_en, not with_crystal),
            Choice(7, "外部RC振荡", "External RC")]
    return Field("振荡器", "Oscillator", bits - 1, 0, choices, default)


def sys_divider(start, default=0):
    s = start
    return Field("系统时钟分频", "System clock divider", s + 1, s, [
        Choice(0 << s, "Fosc/1", "Fosc/1"), Choice(1 << s, "Fosc/2", "Fosc/2"),
        Choice(2 << s, "Fosc/4", "Fosc/4"), Choice(3 << s, "Fosc/8", "Fosc/8")], default)


def instruction_cycle(bit, default=0):
    return Field("指令周期", "Instruction cycle", bit, bit, [
        Choice(0, "4T", "4 clocks"), Choice(1 << bit, "2T", "2 clocks")], default)


def input_level(bit, default=0):
    return Field("输入电平", "Input levels", bit, bit, [
        Choice(0, "CMOS", "CMOS"), Choice(1 << bit, "TTL", "TTL")], default)


# LVR check bits: the chip wants bits 0-3 of word 0x2001 to be the complement of bits 8-11
# of word 0x2000 (the LVR voltage), so a single flipped fuse cannot change the LVR level.
LVR_CHECK = Rule(bit_start=3, bit_end=0, rev_start=8, rev_end=11, source=0)

TRIM = dict(min=0x0000, max=0x00FF, lower_min=0x40, lower_max=0x7F, upper_min=0x80, upper_max=0xC0)
TRIM6 = dict(min=0x0000, max=0x003F, lower_min=0x08, lower_max=0x1F, upper_min=0x20, upper_max=0x37)


def calib(name, ctype, volt3, enable, rul, trim=TRIM, **over):
    p = dict(trim)
    p.update(over)
    return Calib(name, ctype, volt3, enable, rul, **p)


PKG = {
    "DIP8": Package("DIP8", 8, 1), "SOP8": Package("SOP8", 8, 2), "SOT23-6": Package("SOT23-6", 6, 3),
    "MSOP10": Package("MSOP10", 10, 4), "SOP14": Package("SOP14", 14, 2), "DIP14": Package("DIP14", 14, 1),
    "SOP16": Package("SOP16", 16, 2), "DIP16": Package("DIP16", 16, 1), "SOP20": Package("SOP20", 20, 2),
    "SSOP20": Package("SSOP20", 20, 5), "DIP20": Package("DIP20", 20, 1),
}

FAMILY = {"VK": 1, "QD48": 2, "WT": 3, "QD46": 4, "QD45": 5}
LVR8 = [1.8, 2.0, 2.4, 2.7, 3.0, 3.3, 3.7, 4.2]

CHIPS = [
    Chip("VK1620", FAMILY["VK"], 14, 1024, 0x62, [0x16, 0x20, 0xA5, 0x5A, 0x01],
         note="14-bit OTP, 1K words, 8-pin",
         words=[
             Word(0x2000, [oscillator(2, False), on_off("看门狗", "Watchdog", 3, 1),
                           on_off("上电延时", "Power-up timer", 4, 0, active_low=True), reset_pin(5, "PA5"),
                           lvr_mode(6), lvr_voltage(8, [1.8, 2.0, 2.2, 2.5, 2.8, 3.1, 3.6, 4.0], 2)]),
             Word(0x2001, [LVR_CHECK, wdt_period([4, 9])]),
             Word(0x200D, [protection(0x10)]),
         ],
         packages=[PKG["SOP8"], PKG["DIP8"], PKG["SOT23-6"]]),
    Chip("QD48K025T0", FAMILY["QD48"], 14, 2048, 0xF8, [0x48, 0x25, 0x3C, 0xC3, 0x96],
         note="14-bit OTP, 2K words, QD48 member of the K025T0 pair",
         words=[
             Word(0x2000, [oscillator(2, False, 1), on_off("看门狗", "Watchdog", 3, 1), startup(4),
                           lvr_mode(6), lvr_voltage(8, LVR8, 2)]),
             Word(0x2001, [LVR_CHECK, wdt_period([4, 5]), reset_pin(6, "PB3"), input_level(7)]),
             Word(0x200D, [protection(0x10)]),
             Word(0x200E, [calib("IRC校准", 0, 0, 1, 8000000)]),
         ],
         packages=[PKG["SOP8"], PKG["MSOP10"], PKG["DIP8"]]),
    Chip("QD46K025T0", FAMILY["QD46"], 14, 2048, 0xF0, [0x46, 0x25, 0x3C, 0xC3, 0x69],
         note="14-bit OTP, 2K words, QD46 member of the K025T0 pair",
         words=[
             Word(0x2000, [oscillator(2, False, 1), on_off("看门狗", "Watchdog", 3, 1), startup(4),
                           lvr_mode(6), lvr_voltage(8, LVR8, 2, not_below=2.0)]),
             Word(0x2001, [LVR_CHECK, wdt_period([4, 5]), reset_pin(6, "PA3")]),
             Word(0x200D, [protection(0x30)]),
             Word(0x200E, [calib("IRC校准", 0, 0, 1, 8000000),
                           calib("2.4M校准", 2, 1, 0, 2400000, min=0x0010, max=0x00F0)]),
         ],
         packages=[PKG["SOP8"], PKG["SOT23-6"]]),
    Chip("WT58P04", FAMILY["WT"], 16, 4096, 0x58, [0x58, 0x04, 0xE1, 0x1E, 0x77],
         note="16-bit OTP, 4K words, 16-pin",
         vpp_mv=9000, prog_pulse_us=200,
         words=[
             Word(0x2000, [oscillator(3, True), on_off("看门狗", "Watchdog", 3, 1), sys_divider(4),
                           lvr_mode(6), lvr_voltage(8, LVR8, 3), reset_pin(12, "PC0", 1), instruction_cycle(13)]),
             Word(0x2001, [LVR_CHECK, wdt_period([4, 9]), startup(6)]),
             Word(0x2002, [BitList("端口驱动能力", "Port drive strength", [0, 8], [
                 Choice(0x0000, "标准 (8mA)", "Normal (8 mA)"),
                 Choice(0x0001, "PA口增强 (20mA)", "Port A strong (20 mA)"),
                 Choice(0x0100, "PB口增强 (20mA)", "Port B strong (20 mA)"),
                 Choice(0x0101, "PA/PB口增强 (20mA)", "Ports A and B strong (20 mA)")])]),
             Word(0x200D, [protection(0x10)]),
             Word(0x200E, [calib("IRC校准", 1, 0, 1, 16000000),
                           calib("3.0M校准", 3, 1, 1, 3000000, min=0x0020, max=0x01E0)]),
         ],
         packages=[PKG["SOP16"], PKG["SOP14"], PKG["DIP16"]]),
    Chip("QD45C8K", FAMILY["QD45"], 16, 8192, 0x45, [0x45, 0xC8, 0x00, 0xFF, 0x5A],
         file_version=0x20, chip_id_addr=0x200B, chip_id2=0x46, chip_id2_addr=0x200C,
         note="16-bit OTP, 8K words, 20-pin, project files with the extension block",
         vpp_mv=9000, prog_pulse_us=200,
         words=[
             Word(0x2000, [oscillator(3, True, 5), on_off("看门狗", "Watchdog", 3, 1), sys_divider(4),
                           lvr_mode(6), lvr_voltage(8, [2.0, 2.2, 2.4, 2.7, 3.0, 3.3, 3.7, 4.2], 4),
                           reset_pin(12, "PD7", 1), input_level(14)]),
             Word(0x2001, [LVR_CHECK, wdt_period([4, 9], 2), startup(6)]),
             Word(0x2002, [on_off("数据EEPROM写保护", "Data EEPROM write protection", 0, 0),
                           on_off("调试接口", "Debug interface", 1, 1, active_low=True)]),
             Word(0x2003, [BitList("睡眠唤醒源", "Wake-up sources", [2, 3, 10], [
                 Choice(0x0000, "仅外部中断", "External interrupt only"),
                 Choice(0x0004, "外部中断 + 端口变化", "External interrupt and port change"),
                 Choice(0x0008, "外部中断 + 定时器", "External interrupt and timer"),
                 Choice(0x040C, "全部", "All sources"),
                 Choice(0x0400, "仅看门狗（本型号不支持）", "Watchdog only (not on this model)", True)], 3)]),
             Word(0x200D, [protection(0x10, factory_lock=True)]),
         ],
         packages=[PKG["SOP20"], PKG["SSOP20"], PKG["DIP20"], PKG["SOP16"]]),
    Chip("QD46K300T1", FAMILY["QD46"], 14, 4096, 0xA3, [0x46, 0x30, 0x0A, 0xF5, 0x3C],
         check_fm=1, chip_id2=0xA4,
         note="14-bit OTP, 4K words, six calibration entries; needs a current programmer firmware",
         words=[
             Word(0x2000, [oscillator(2, False), on_off("看门狗", "Watchdog", 3, 1),
                           on_off("上电延时", "Power-up timer", 4, 0, active_low=True), reset_pin(5, "PA5"),
                           lvr_mode(6), lvr_voltage(8, LVR8, 1)]),
             Word(0x2001, [LVR_CHECK, wdt_period([4, 9]), instruction_cycle(5), input_level(6)]),
             Word(0x200D, [protection(0x30)]),
             Word(0x200E, [
                 calib("IRC校准", 0, 0, 0, 16000000),
                 calib("1.7M校准", 1, 1, 1, 1700000, TRIM6),
                 calib("2.4M校准", 2, 0, 1, 2400000, TRIM6),
                 calib("3.0M校准", 3, 1, 0, 3000000, TRIM6),
                 calib("3.3M校准", 1, 1, 1, 3300000, TRIM6),
                 calib("32K校准", 0, 0, 1, 32768, TRIM6, max=0x001F, lower_min=0x04, lower_max=0x0F,
                       upper_min=0x10, upper_max=0x1B),
             ]),
         ],
         packages=[PKG["SOP8"], PKG["SOP14"], PKG["DIP14"]]),
]


# Initial option words and the checks that keep the definitions consistent ---------------

def item_mask(item):
    mask = 0
    for b in item.bits():
        mask |= 1 << b
    return mask


def initial_words(chip):
    """Blank words with each item's default choice in place, then the rules applied;
    checks that fields do not overlap, values stay inside their fields and defaults are
    selectable."""
    blank = (1 << chip.bit_width) - 1
    words = {}
    for w in chip.words:
        value, used = blank, 0
        for item in w.items:
            if isinstance(item, (Field, BitList)):
                mask = item_mask(item)
                assert mask & used == 0, f"{chip.model} {w.addr:#x}: {item.en} overlaps"
                assert mask <= blank, f"{chip.model} {w.addr:#x}: {item.en} beyond the word width"
                for c in item.choices:
                    assert c.value & ~mask == 0, f"{chip.model}: {item.en} value {c.value:#x} outside its field"
                chosen = item.choices[item.default]
                assert not chosen.not_selectable, f"{chip.model}: {item.en} default not selectable"
                value = (value & ~mask) | chosen.value
                used |= mask
            elif isinstance(item, Rule):
                width = item.rev_end - item.rev_start + 1
                mask = ((1 << width) - 1) << item.bit_end
                assert mask & used == 0, f"{chip.model} {w.addr:#x}: rule overlaps"
                used |= mask
        words[w.addr] = value
    for w in chip.words:
        for item in w.items:
            if isinstance(item, Rule):
                source = words[0x2000 + item.source]
                value = words[w.addr]
                for i in range(item.rev_start, item.rev_end + 1):
                    bit = item.bit_end - item.rev_start + i
                    value = (value & ~(1 << bit)) | ((~source >> i & 1) << bit)
                words[w.addr] = value
    return words


# Writers --------------------------------------------------------------------------------

def hex16(v):
    return f"0x{v:04X}"


def item_lines(item, lang):
    name = (lambda o: o.zh if lang == "zh" else o.en)
    if isinstance(item, Rule):
        return ["ItemType=2", f"BitStart={item.bit_start}", f"BitEnd={item.bit_end}",
                f"Item0_ReverseBitStart={item.rev_start}", f"Item0_ReverseBitEnd={item.rev_end}",
                f"Item0_Val={item.source}"]
    if isinstance(item, Calib):
        return ["ItemType=3", f"Name={item.name}", f"CalibreType={item.type}", f"CalibreVoltage={item.volt3}",
                f"CalibreEnable={item.enable}", f"Rul={item.rul}", f"Min={hex16(item.min)}", f"Max={hex16(item.max)}",
                f"LowerMin=0x{item.lower_min:02X}", f"LowerMax=0x{item.lower_max:02X}",
                f"UpperMin=0x{item.upper_min:02X}", f"UpperMax=0x{item.upper_max:02X}"]
    if isinstance(item, Field):
        lines = ["ItemType=0", f"Name={name(item)}", f"BitStart={item.bit_start}", f"BitEnd={item.bit_end}"]
    else:
        lines = ["ItemType=1", f"Name={name(item)}", f"BitCount={len(item.bit_list)}"]
        lines += [f"Bit{k}={b}" for k, b in enumerate(item.bit_list)]
    lines.append(f"ItemCount={len(item.choices)}")
    for m, c in enumerate(item.choices):
        lines += [f"Item{m}_Name={name(c)}", f"Item{m}_Val={hex16(c.value)}"]
        if c.not_selectable:
            lines.append(f"Item{m}_Not=1")
    return lines


def dev_text(chip, lang):
    out = [f"; Chip definition {chip.model}: {chip.note}", "", "[ROM]", f"BitWidth={chip.bit_width}",
           f"Size={chip.size}", "", "[General]"]
    out += [f"PassWord{k}=0x{p:02X}" for k, p in enumerate(chip.passwords)]
    out.append(f"CheckFmVer={chip.check_fm}")
    if chip.file_version is not None:
        out.append(f"FileVersion=0x{chip.file_version:02X}")
    out.append(f"ChipID=0x{chip.chip_id:02X}")
    if chip.chip_id_addr is not None:
        out.append(f"ChipID_Addr={hex16(chip.chip_id_addr)}")
    if chip.chip_id2 is not None:
        out.append(f"ChipID2=0x{chip.chip_id2:02X}")
    if chip.chip_id2_addr is not None:
        out.append(f"ChipID2_Addr={hex16(chip.chip_id2_addr)}")
    out += ["", "[OTPOption]", f"OptionWords={len(chip.words)}"]
    init = initial_words(chip)
    for i, w in enumerate(chip.words):
        out += [f"OptAddr{i}={hex16(w.addr)}", f"OptInitVal{i}={hex16(init[w.addr])}", f"OptItems{i}={len(w.items)}"]
    for i, w in enumerate(chip.words):
        for j, item in enumerate(w.items):
            out += ["", f"[OTPOption{i}_Item{j}]"] + item_lines(item, lang)
    out += ["", "[Package]", f"OpenShortPINS={chip.packages[0].pins}", f"PackageCount={len(chip.packages)}"]
    for p, pkg in enumerate(chip.packages):
        out.append(f"Item{p}_Name={pkg.name}")
        out += [f"Item{p}_Val{k}=0x{b:02X}" for k, b in enumerate(pkg.pin_map())]
    return "\r\n".join(out) + "\r\n"


def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else crc << 1
            crc &= 0xFFFF
    return crc


def cif_block(chip):
    """Header, programming voltages and timings, per-package pin assignment, option-word
    table; zero padded; CRC-16 of bytes 0..2045 in the last two bytes."""
    b = bytearray(2048)
    mask = 0
    for w in chip.words:
        mask |= 1 << (w.addr - 0x2000)
    header = struct.pack("<4sHH16sBBHBBHH", b"KTCF", 0x0100, 64, chip.model.encode("ascii"), chip.bit_width,
                         chip.family, chip.size, chip.chip_id,
                         chip.chip_id if chip.chip_id2 is None else chip.chip_id2,
                         chip.chip_id_addr or 0x200B, mask)
    b[0:len(header)] = header
    # Voltages in mV, then times in microseconds, pulse counts.
    vdd_prog = 5000 if chip.bit_width == 14 else 5500
    power = struct.pack("<HHHHHHHHBB", chip.vpp_mv, vdd_prog, 4500, 5500, 3300,
                        chip.prog_pulse_us, 50, 10, 25, 3)
    b[64:64 + len(power)] = power
    # Package table at 128: name (8 bytes), pins, then socket pins of VDD, GND, VPP, CLK, DAT.
    offset = 128
    for pkg in chip.packages:
        half = pkg.pins // 2
        vdd, gnd, vpp = 1, 41 - 1, half  # pin 1 and the last pin carry the supply on these parts
        clk, dat = 41 - half, 41 - half + 1
        entry = struct.pack("<8sB5B2x", pkg.name.encode("ascii"), pkg.pins, vdd, gnd, vpp, clk, dat)
        b[offset:offset + len(entry)] = entry
        offset += 16
    # Option-word table at 512: address, initial value, count of items.
    offset = 512
    init = initial_words(chip)
    for w in chip.words:
        b[offset:offset + 6] = struct.pack("<HHH", w.addr, init[w.addr], len(w.items))
        offset += 6
    b[2046:2048] = struct.pack("<H", crc16(b[:2046]))
    return bytes(b)


def main():
    for sub in ("CH_DEV", "EN_DEV", "CIF"):
        (DATA / sub).mkdir(parents=True, exist_ok=True)
    for chip in CHIPS:
        for sub, lang in (("CH_DEV", "zh"), ("EN_DEV", "en")):
            (DATA / sub / f"{chip.model}.dev").write_bytes(b"\xef\xbb\xbf" + dev_text(chip, lang).encode("utf-8"))
        (DATA / "CIF" / f"{chip.model}.cif").write_bytes(cif_block(chip))
    print(f"wrote {len(CHIPS)} chips to {DATA}")


if __name__ == "__main__":
    main()
