#!/usr/bin/env python3
"""The device records a client must see after GetInfo, worked out from the
registry exports of the test prefix alone (written by `reg export`).

Usage: device_oracle.py nt|9x <out-file> <export.reg>...
Writes one line per record, in list order, with the record's fields
separated by tabs (class name, class description, class icon, friendly name,
description, GUID, manufacturer, location, hardware ID, driver date, driver
version, driver provider, service, service name, service group, service
type, registry key, device class), in code page 1252."""
import sys

CLASSES = ["Battery", "Computer", "DiskDrive", "Display", "CDROM", "fdc", "FloppyDisk", "GPS", "HID", "hdc",
           "1394", "Image", "Infrared", "Keyboard", "MediumChanger", "MTD", "Mouse", "Modem", "Monitor",
           "MultiFunction", "MultiPortSerial", "Net", "LegacyDriver", "NtApm", "Unknown", "PCMCIA", "Ports",
           "Printer", "SCSIAdapter", "SmartCardReader", "MEDIA", "Volume", "System", "TapeDrive", "USB"]


def read_reg(path):
    raw = open(path, 'rb').read()
    text = raw.decode('utf-16') if raw[:2] in (b'\xff\xfe', b'\xfe\xff') else raw.decode('cp1252')
    lines, joined = text.replace('\r\n', '\n').split('\n'), []
    for line in lines:
        if joined and joined[-1].endswith('\\') and line.startswith('  '):
            joined[-1] = joined[-1][:-1] + line.strip()
        else:
            joined.append(line)
    unicode = text.startswith('Windows Registry Editor Version 5.00')
    keys, order, current = {}, [], None
    for line in joined:
        if line.startswith('[') and line.endswith(']'):
            name = line[1:-1]
            current = norm(name)
            if current not in keys:
                keys[current] = {'name': name, 'values': {}}
                order.append(current)
        elif current and (line.startswith('"') or line.startswith('@=')):
            name, data = split_value(line)
            keys[current]['values'][name.lower()] = parse_data(data, unicode)
    return keys, order


def norm(path):
    p = path.lower()
    for long, short in (('hkey_local_machine\\', 'hklm\\'), ('\\controlset001\\', '\\currentcontrolset\\')):
        p = p.replace(long, short)
    return p


def split_value(line):
    if line.startswith('@='):
        return '', line[2:]
    i, name = 1, ''
    while line[i] != '"':
        if line[i] == '\\':
            i += 1
        name += line[i]
        i += 1
    return name, line[i + 2:]


def parse_data(data, unicode):
    if data.startswith('"'):
        out, i = '', 1
        while data[i] != '"':
            if data[i] == '\\':
                i += 1
            out += data[i]
            i += 1
        return ('sz', out)
    if data.startswith('dword:'):
        return ('dword', int(data[6:], 16))
    kind, _, hexes = data.partition(':')
    b = bytes(int(h, 16) for h in hexes.split(',') if h)
    if kind in ('hex(2)', 'hex(7)') and unicode:
        b = b.decode('utf-16-le').encode('cp1252', 'replace')
    types = {'hex(2)': 'expand', 'hex(7)': 'multi', 'hex': 'binary'}
    return (types.get(kind, 'other'), b)


class Tree:
    def __init__(self, files):
        self.keys, self.order = {}, []
        for f in files:
            k, o = read_reg(f)
            for p in o:
                if p not in self.keys:
                    self.order.append(p)
                self.keys.setdefault(p, k[p])

    def exists(self, path):
        return norm(path) in self.keys

    def children(self, path):
        base = norm(path) + '\\'
        out = []
        for p in self.order:
            if p.startswith(base) and '\\' not in p[len(base):]:
                out.append(self.keys[p]['name'].split('\\')[-1])
        # intermediate keys that the export lists only through their children
        for p in self.order:
            if p.startswith(base):
                first = self.keys[p]['name'][len(base):].split('\\')[0]
                if first.lower() not in [c.lower() for c in out]:
                    out.append(first)
        return out

    def value(self, path, name):
        key = self.keys.get(norm(path))
        return key['values'].get(name.lower()) if key else None

    def text(self, path, name):
        v = self.value(path, name)
        if not v or v[0] not in ('sz', 'expand'):
            return ''
        return v[1] if v[0] == 'sz' else v[1].split(b'\0')[0].decode('cp1252')


def class_of(name):
    up = name.upper()
    for i, c in enumerate(CLASSES):
        if up.startswith(c.upper()):
            return i
    return 24


def service(tree, name):
    if not name.strip():
        return '', '', 0
    path = 'HKLM\\SYSTEM\\CurrentControlSet\\Services\\' + name
    if not tree.exists(path):
        return '', '', 0
    group = tree.text(path, 'Group')
    display, typ = tree.value(path, 'DisplayName'), tree.value(path, 'Type')
    if not display or display[0] != 'sz' or not typ or typ[0] != 'dword':
        return '', group, 0
    t = typ[1] if typ[1] < 2**31 else typ[1] - 2**32
    return display[1], group, t


def main():
    family, out = sys.argv[1], sys.argv[2]
    tree = Tree(sys.argv[3:])
    nt = family == 'nt'
    root = 'HKLM\\SYSTEM\\CurrentControlSet\\Enum' if nt else 'HKLM\\Enum'
    croot = 'HKLM\\SYSTEM\\CurrentControlSet\\' + ('Control\\Class' if nt else 'Services\\Class')
    records = []
    for enum in tree.children(root):
        if not nt and enum == 'Network':
            continue
        for dev in tree.children(root + '\\' + enum):
            for inst in tree.children(root + '\\' + enum + '\\' + dev):
                path = '\\'.join([root, enum, dev, inst])
                if nt and not tree.exists(path + '\\Control'):
                    continue
                r = {}
                r['guid'] = tree.text(path, 'ClassGUID').upper()
                location = tree.text(path, 'LocationInformation')
                svc = tree.text(path, 'Service')
                if not location:
                    location = service(tree, enum)[0]
                desc = icon = ''
                if r['guid'].strip():
                    match = [c for c in tree.children(croot) if c.upper() == r['guid']]
                    if match:
                        key = croot + '\\' + match[0]
                        if not nt:
                            link = tree.text(key, 'Link')
                            key = croot + '\\' + link if link.strip() else None
                        if key and tree.exists(key):
                            desc, icon = tree.text(key, ''), tree.text(key, 'Icon')
                drv = tree.text(path, 'Driver').replace('\\\\', '\\')
                dd = dv = dp = ''
                if drv.strip() and tree.exists(croot + '\\' + drv):
                    k = croot + '\\' + drv
                    dd, dv, dp = tree.text(k, 'DriverDate'), tree.text(k, 'DriverVersion'), tree.text(k, 'ProviderName')
                sname, sgroup, stype = service(tree, svc)
                hw = tree.value(path, 'HardwareID')
                if not hw:
                    hwid = ''
                elif hw[0] in ('sz', 'expand'):
                    hwid = tree.text(path, 'HardwareID')
                elif hw[0] == 'dword':
                    hwid = ''
                else:
                    hwid = ''.join(s.decode('cp1252') for s in hw[1].split(b'\0\0')[0].split(b'\0'))
                cname = tree.text(path, 'Class')
                if not cname.strip():
                    continue
                key = path[len('HKLM\\'):]
                records.append((class_of(cname), [cname, desc, icon, tree.text(path, 'FriendlyName'),
                                tree.text(path, 'DeviceDesc'), r['guid'], tree.text(path, 'Mfg'), location, hwid,
                                dd, dv, dp, svc, sname, sgroup, str(stype), key, str(class_of(cname))]))
    records.sort(key=lambda r: r[0])  # stable
    with open(out, 'w', encoding='cp1252', newline='\n') as f:
        for _, fields in records:
            f.write('\t'.join(fields) + '\n')


main()
