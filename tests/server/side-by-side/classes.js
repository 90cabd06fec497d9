// Run by the 32-bit and by the 64-bit script host while both builds of the
// library are registered side by side, or after one of them was unregistered.
// Usage: classes.js list|registered|unregistered <server path> <ObjectClass>...
//   list: prints "classes: <classes>" with the classes given whose ProgID is
//     registered; <server path> is not used.
//   registered: in this host's registry view every class given resolves from
//     its ProgID to a CLSID whose InprocServer32 is <server path>, and an
//     object of it is created. Classes whose only interface is a custom one
//     (a script cannot hold them) get the registry check only. Prints
//     "created: <classes>" with the classes it created.
//   unregistered: no class given can be created, this view holds no CLSID
//     entry of it, and the type library has no path for this build.
// <server path> is C:\zunda32\Zunda.dll or C:\zunda64\Zunda.dll: it also
// tells which build this host's view belongs to.
// Prints "begin" first and "end" last and quits with the number of failures.
var customOnly = { MxDriveRecord: true, MxDeviceRecord: true };
var args = WScript.Arguments;
var mode = args(0), server = args(1);
var shell = new ActiveXObject("WScript.Shell");
var failures = 0, created = [];
WScript.Echo("begin");

function fail(text) { WScript.Echo(text); failures++; }
function read(key) {
    try { return shell.RegRead(key); } catch (e) { return null; }
}
// The shared TypeLib key holds one path per build (the library's locale is
// 0x409): this host's build's path is there exactly while it is registered.
var typeLibChecked = false;
function checkTypeLib(libid, registered) {
    if (typeLibChecked) return;
    typeLibChecked = true;
    var bits = server.toLowerCase().indexOf("zunda32") >= 0 ? "win32" : "win64";
    var tlb = read("HKCR\\TypeLib\\" + libid + "\\1.0\\409\\" + bits + "\\");
    if (registered && (!tlb || tlb.toLowerCase() != server.toLowerCase()))
        fail("type library path " + bits + " is [" + tlb + "], expected [" + server + "]");
    if (!registered && tlb) fail("type library path " + bits + " is still there: [" + tlb + "]");
}
function tryCreate(progId) {
    try { return new ActiveXObject(progId) ? "" : "no object"; } catch (e) {
        return "error 0x" + ((e.number + 0x100000000) % 0x100000000).toString(16) + " " + e.description;
    }
}

for (var i = 2; i < args.length; i++) {
    var name = args(i), progId = "Zunda." + name;
    var clsid = read("HKCR\\" + progId + "\\Clsid\\");
    var path = clsid ? read("HKCR\\CLSID\\" + clsid + "\\InprocServer32\\") : null;
    var libid = clsid ? read("HKCR\\CLSID\\" + clsid + "\\TypeLib\\") : null;
    if (mode == "list") {
        if (clsid) created.push(name);
    } else if (mode == "registered") {
        if (!clsid) { fail(progId + ": ProgID not registered"); continue; }
        if (!path || path.toLowerCase() != server.toLowerCase())
            fail(progId + ": server in this view is [" + path + "], expected [" + server + "]");
        if (!libid) fail(progId + ": no type library in this view");
        else checkTypeLib(libid, true);
        if (customOnly[name]) continue;
        var why = tryCreate(progId);
        if (why) fail(progId + ": not created (" + why + ")"); else created.push(name);
    } else {
        if (path) fail(progId + ": this view still registers " + clsid + " as [" + path + "]");
        checkTypeLib("{778AA618-11D3-4B05-BD00-10C330340EF1}", false);
        if (!tryCreate(progId)) fail(progId + ": still created");
    }
}
if (mode == "list") WScript.Echo("classes: " + created.join(" "));
if (mode == "registered") WScript.Echo("created: " + created.join(" "));
WScript.Echo("end");
WScript.Quit(failures);
