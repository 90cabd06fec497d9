#!/usr/bin/env python3
"""Writes the assembly manifest of Zunda.dll from the IDL: every object class
(CLSID, ProgID "Zunda.<class>", apartment threading) and the type library, so
that applications can use the DLL without registration.

usage: make-manifest.py Zunda.idl out.manifest [x86|amd64]
"""
import re
import sys
from xml.sax.saxutils import quoteattr


def parse(idl_text):
    lib = re.search(r'uuid\(([0-9A-Fa-f-]{36})\),\s*version\((\d+)\.(\d+)\)[^\]]*\]\s*library\s+(\w+)',
                    idl_text)
    if not lib:
        sys.exit("make-manifest: no library block found")
    classes = re.findall(
        r'\[\s*uuid\(([0-9A-Fa-f-]{36})\)(?:,\s*helpstring\("([^"]*)"\))?[^\]]*\]\s*coclass\s+(\w+)', idl_text)
    if not classes:
        sys.exit("make-manifest: no object classes found")
    return lib.groups(), classes


def render(lib, classes, arch):
    tlbid, major, minor, name = lib
    out = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
           '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
           f'  <assemblyIdentity type="win32" name="{name}" version="{major}.{minor}.0.0"'
           f' processorArchitecture="{arch}"/>',
           f'  <file name="{name}.dll">']
    for clsid, help_text, cls in classes:
        desc = f' description={quoteattr(help_text)}' if help_text else ''
        out.append(f'    <comClass clsid="{{{clsid.upper()}}}" progid="{name}.{cls}"'
                   f' threadingModel="Apartment" tlbid="{{{tlbid.upper()}}}"{desc}/>')
    out.append(f'    <typelib tlbid="{{{tlbid.upper()}}}" version="{major}.{minor}" helpdir=""/>')
    out.append('  </file>')
    out.append('</assembly>')
    return '\r\n'.join(out) + '\r\n'


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    arch = sys.argv[3] if len(sys.argv) == 4 else 'x86'
    with open(sys.argv[1], encoding='utf-8') as f:
        lib, classes = parse(f.read())
    with open(sys.argv[2], 'w', encoding='utf-8', newline='') as f:
        f.write(render(lib, classes, arch))


if __name__ == '__main__':
    main()
