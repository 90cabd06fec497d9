#!/usr/bin/env python3
"""Static checks of the shipping 32-bit Zunda.dll (it cannot run here).

- PE machine i386, a DLL;
- exactly the five server exports (the four of every server and DllInstall),
  by their plain names;
- the type library as resource TYPELIB 1, compiled for 32-bit Windows;
- imports only from DLLs that Windows XP has, and no function that came
  after Windows XP (neither from the code nor from the static runtime).
"""
import re
import struct
import sys

EXPORTS = {"DllGetClassObject", "DllCanUnloadNow", "DllRegisterServer", "DllUnregisterServer", "DllInstall"}

# DLLs of a Windows XP installation that the library may use.
XP_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll",
    "oleaut32.dll", "version.dll", "winspool.drv", "winmm.dll", "netapi32.dll", "wsock32.dll",
    "ws2_32.dll", "msvcrt.dll", "comctl32.dll", "shlwapi.dll", "mpr.dll", "setupapi.dll",
}

# Functions that appeared after Windows XP (SP3), by exact name or pattern.
NEWER_THAN_XP = [
    r"GetTickCount64", r".*ConditionVariable.*", r".*SRWLock.*", r"Fls(Alloc|Free|GetValue|SetValue)",
    r"RegGetValue[AW]", r".*LocaleName.*", r"LCMapStringEx", r"CompareStringEx", r"GetDateFormatEx",
    r"GetTimeFormatEx", r"GetNumberFormatEx", r"InitOnce.*", r"InitializeCriticalSectionEx",
    r"Create(Event|Mutex|Semaphore|WaitableTimer)Ex[AW]", r"CreateSymbolicLink[AW]",
    r"GetFinalPathNameByHandle[AW]", r"CancelIoEx", r"SetFileInformationByHandle",
    r"GetFileInformationByHandleEx", r"QueryFullProcessImageName[AW]", r"GetSystemTimePreciseAsFileTime",
    r"WaitOnAddress", r"WakeByAddress.*", r"GetErrorMode", r"(Get|Set)ThreadErrorMode",
    r"RegDeleteKeyEx[AW]", r"RegDeleteTree[AW]", r"RegCopyTree[AW]", r"RegSetKeyValue[AW]",
    r"RegDeleteKeyValue[AW]", r"RegLoadMUIString[AW]", r"GetProductInfo", r"Wow64.*",
    r"GetLogicalProcessorInformation(Ex)?", r"GetCurrentProcessorNumber(Ex)?", r"FlushProcessWriteBuffers",
    r"SHGetKnownFolderPath", r"SHGetFolderPathEx", r"SHCreateItem.*", r"IsWow64Process",
    r"GetThreadId", r"GetProcessId", r"InterlockedCompareExchange64", r"CreateRemoteThreadEx",
    r"QueryUnbiasedInterruptTime", r"GetTickCount64", r"Rtl.*Ex2",
    # the secure CRT functions are not in Windows XP's msvcrt.dll
    r".*_s", r"_.*_s_?",
]


def read_pe(path):
    data = open(path, "rb").read()
    if data[:2] != b"MZ":
        raise SystemExit("not a PE file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise SystemExit("no PE signature")
    machine, nsect, _, _, _, optsize, chars = struct.unpack_from("<HHIIIHH", data, pe + 4)
    opt = pe + 24
    magic = struct.unpack_from("<H", data, opt)[0]
    dirs_off = opt + (96 if magic == 0x10B else 112)
    ndirs = struct.unpack_from("<I", data, dirs_off - 4)[0]
    dirs = [struct.unpack_from("<II", data, dirs_off + 8 * i) for i in range(ndirs)]
    sect_off = opt + optsize
    sections = []
    for i in range(nsect):
        name, vsize, va, rawsize, rawptr = struct.unpack_from("<8sIIII", data, sect_off + 40 * i)
        sections.append((va, max(vsize, rawsize), rawptr))
    return data, machine, chars, magic, dirs, sections


def rva_to_off(sections, rva):
    for va, size, raw in sections:
        if va <= rva < va + size:
            return raw + rva - va
    raise ValueError("rva %x outside sections" % rva)


def cstr(data, off):
    end = data.index(b"\0", off)
    return data[off:end].decode("latin-1")


def exports(data, dirs, sections):
    rva, size = dirs[0]
    if not rva:
        return set()
    off = rva_to_off(sections, rva)
    nnames, names_rva = struct.unpack_from("<I", data, off + 24)[0], struct.unpack_from("<I", data, off + 32)[0]
    names = set()
    for i in range(nnames):
        name_rva = struct.unpack_from("<I", data, rva_to_off(sections, names_rva) + 4 * i)[0]
        names.add(cstr(data, rva_to_off(sections, name_rva)))
    return names


def imports(data, dirs, sections, pe32):
    rva, size = dirs[1]
    result = {}
    off = rva_to_off(sections, rva)
    while True:
        orig, _, _, name_rva, first = struct.unpack_from("<IIIII", data, off)
        if not name_rva:
            break
        dll = cstr(data, rva_to_off(sections, name_rva)).lower()
        thunk = rva_to_off(sections, orig or first)
        funcs = []
        step, fmt, flag = (4, "<I", 0x80000000) if pe32 else (8, "<Q", 1 << 63)
        while True:
            v = struct.unpack_from(fmt, data, thunk)[0]
            if not v:
                break
            if v & flag:
                funcs.append("#%d" % (v & 0xFFFF))
            else:
                funcs.append(cstr(data, rva_to_off(sections, v & 0x7FFFFFFF) + 2))
            thunk += step
        result.setdefault(dll, []).extend(funcs)
        off += 20
    return result


def resource(data, dirs, sections, type_name, ident):
    rva, size = dirs[2]
    if not rva:
        return None
    base = rva_to_off(sections, rva)

    def entries(off):
        named, ids = struct.unpack_from("<HH", data, off + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, off + 16 + 8 * i)
            if name & 0x80000000:
                p = base + (name & 0x7FFFFFFF)
                n = struct.unpack_from("<H", data, p)[0]
                key = data[p + 2:p + 2 + 2 * n].decode("utf-16-le")
            else:
                key = name
            yield key, target

    for key, target in entries(base):
        if key != type_name:
            continue
        for key2, target2 in entries(base + (target & 0x7FFFFFFF)):
            if key2 != ident:
                continue
            for _, leaf in entries(base + (target2 & 0x7FFFFFFF)):
                drva, dsize = struct.unpack_from("<II", data, base + leaf)
                o = rva_to_off(sections, drva)
                return data[o:o + dsize]
    return None


def main(path):
    failures = []
    data, machine, chars, magic, dirs, sections = read_pe(path)
    if machine != 0x14C:
        failures.append("machine is 0x%x, not i386 (0x14c)" % machine)
    if not chars & 0x2000:
        failures.append("not a DLL")
    if magic != 0x10B:
        failures.append("not a PE32 image")
    got = exports(data, dirs, sections)
    if got != EXPORTS:
        failures.append("exports are %s" % sorted(got))
    tlb = resource(data, dirs, sections, "TYPELIB", 1)
    if tlb is None:
        failures.append("no TYPELIB 1 resource")
    elif tlb[:4] != b"MSFT":
        failures.append("TYPELIB 1 is not a type library")
    else:
        syskind = struct.unpack_from("<I", tlb, 20)[0] & 0xF
        if syskind != 1:
            failures.append("type library system kind is %d, not SYS_WIN32 (1)" % syskind)
    newer = [re.compile(p + "$") for p in NEWER_THAN_XP]
    for dll, funcs in sorted(imports(data, dirs, sections, magic == 0x10B).items()):
        if dll not in XP_DLLS:
            failures.append("imports from %s, which Windows XP may not have" % dll)
        for f in funcs:
            if any(r.match(f) for r in newer):
                failures.append("imports %s!%s, which is newer than Windows XP" % (dll, f))
    if failures:
        for f in failures:
            print("FAIL:", f)
        return 1
    print("ok: %s is an i386 DLL with the five exports, TYPELIB 1 (win32) and XP-only imports" % path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
