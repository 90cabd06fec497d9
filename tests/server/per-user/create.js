// Checks the per-user registration of every class named on the command line
// as a client resolves it: the ProgID below HKEY_CURRENT_USER\Software\Classes
// names the CLSID whose in-process server is the DLL given, with the
// apartment threading model, the type library and the ProgID back.
// (Windows merges these entries into HKEY_CLASSES_ROOT, so clients create
// the classes as usual; Wine's class root reads the machine-wide entries
// only, so this run checks what a client would read there.)
// Usage: create.js <dll path> <ObjectClass>...
// Prints "begin" first and "end" last and quits with the number of failures.
WScript.Echo("begin");
var failures = 0;
var shell = new ActiveXObject("WScript.Shell");
var base = "HKCU\\Software\\Classes\\";
function read(key) {
    try { return shell.RegRead(key); } catch (e) { return null; }
}
function expect(what, got, want) {
    if (got == null || String(got).toLowerCase() != String(want).toLowerCase()) {
        WScript.Echo("FAILED: " + what + " is [" + got + "], expected [" + want + "]");
        failures++;
    }
}
var args = WScript.Arguments;
var dll = args(0);
var libid = "{778AA618-11D3-4B05-BD00-10C330340EF1}";
for (var i = 1; i < args.length; i++) {
    var progId = "Zunda." + args(i);
    var clsid = read(base + progId + "\\Clsid\\");
    if (clsid == null) {
        WScript.Echo("FAILED: " + progId + " names no CLSID");
        failures++;
        continue;
    }
    var key = base + "CLSID\\" + clsid + "\\";
    expect(progId + " server", read(key + "InprocServer32\\"), dll);
    expect(progId + " threading model", read(key + "InprocServer32\\ThreadingModel"), "Apartment");
    expect(progId + " ProgID", read(key + "ProgID\\"), progId);
    expect(progId + " type library", read(key + "TypeLib\\"), libid);
}
var lib = base + "TypeLib\\" + libid + "\\1.0\\409\\";
var path = read(lib + "win32\\");
if (path == null) path = read(lib + "win64\\");
expect("type library path", path, dll);
WScript.Echo((args.length - 1) + " classes");
WScript.Echo("end");
WScript.Quit(failures);
