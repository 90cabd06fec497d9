// Every class that a script can hold (all but the two records with only an
// IUnknown-based interface) is created by its ProgID and answers a property.
WScript.Echo("begin");
var failures = 0;
var classes = ["MxBaseInterface", "MxAuditLogFile", "MxStringlist", "MxFileRecord", "MxFileList", "MxStrUtils",
               "MxFileUtils", "MxDateUtils", "MxUtils", "MxDevice", "MxMachine", "MxPrinter", "MxPath",
               "MxDirectX", "MxDBDriver", "MxMemory", "MxDrive", "MxDisplay", "MxNetComputer",
               "MxNetWorkgroup", "MxNetWork", "MxMedia", "MxCPU", "MxTimeZone"];
var own = { MxFileRecord: "fiFilename", MxNetComputer: "wstrName", MxNetWorkgroup: "wstrName" };
for (var c = 0; c < classes.length; c++) {
    var name = classes[c];
    try {
        var o = new ActiveXObject("Zunda." + name);
        var text = own[name] ? o[own[name]] : o.wstrLastErrorMessage;
    } catch (e) {
        WScript.Echo("FAILED: Zunda." + name + ": " + e.description);
        failures++;
    }
}
WScript.Echo(classes.length + " classes created by ProgID");
WScript.Echo("end");
WScript.Quit(failures);
