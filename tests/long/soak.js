// Soak from a script host: every class that a script can create (all but the
// two records with only an IUnknown-based interface) is created by its
// ProgID, used and released 2,000 times.
WScript.Echo("begin");
var failures = 0;
var classes = ["MxBaseInterface", "MxAuditLogFile", "MxStringlist", "MxFileRecord", "MxFileList", "MxStrUtils",
               "MxFileUtils", "MxDateUtils", "MxUtils", "MxDevice", "MxMachine", "MxPrinter", "MxPath",
               "MxDirectX", "MxDBDriver", "MxMemory", "MxDrive", "MxDisplay", "MxNetComputer",
               "MxNetWorkgroup", "MxNetWork", "MxMedia", "MxCPU", "MxTimeZone"];
// Classes without the two base properties: one of their own text properties.
var own = { MxFileRecord: "fiFilename", MxNetComputer: "wstrName", MxNetWorkgroup: "wstrName" };
var available = 0;
for (var c = 0; c < classes.length; c++) {
    var name = classes[c];
    try {
        new ActiveXObject("Zunda." + name);
    } catch (e) {
        WScript.Echo("FAILED: Zunda." + name + " cannot be created: " + e.description);
        failures++;
        continue;
    }
    available++;
    try {
        for (var i = 0; i < 2000; i++) {
            var o = new ActiveXObject("Zunda." + name);
            var text = own[name] ? o[own[name]] : o.wstrLastErrorMessage;
            if (!own[name]) o.boRaiseErrors = false;
            o = null;
            if (i % 500 == 499) CollectGarbage();
        }
    } catch (e) {
        WScript.Echo("FAILED: " + name + " round " + i + ": " + e.description);
        failures++;
    }
}
CollectGarbage();
WScript.Echo(available + " classes, 2000 rounds each");
WScript.Echo("end");
WScript.Quit(failures);
