// MxPrinter late-bound from JScript. Without an argument: the empty-printer
// path of a fresh prefix. With "nt" or "9x": the printers that
// wine-printers.sh made, their decoded settings and the shared index.
var failures = 0;
WScript.Echo("begin");
function check(ok, what) {
    if (!ok) {
        failures++;
        WScript.Echo("FAIL: " + what);
    }
}
var family = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "";
var p = new ActiveXObject("Zunda.MxPrinter");
var q = new ActiveXObject("Zunda.MxPrinter");

if (family === "") {
    if (p.iPrinterCount === 0) {
        p.Refresh();
        check(p.wstrLastErrorMessage.indexOf("[GetCurrentPrinterInformation]: Zur Zeit ist kein Standarddrucker") === 0,
              "no default: " + p.wstrLastErrorMessage);
        check(p.iPrinterIndex === -1, "index " + p.iPrinterIndex);
        check(p.wstrPrinterName === "", "name");
        check(p.wstrOrientation === "" && p.tyOrientation === 0, "orientation");
        check(p.tyPaper === 8 && p.wstrPaper === "", "paper");
        check(p.strlPrinters.Count === 0, "list");
        check(p.boDefaultPrinter === false, "default");
        p.iPrinterIndex = 3;
        check(p.iPrinterIndex === -1, "index after put " + p.iPrinterIndex);
        p.boRaiseErrors = true;
        var raised = false;
        try { p.Refresh(); } catch (e) { raised = e.description.indexOf("Standarddrucker") > 0; }
        check(raised, "Refresh raises when asked");
    }
} else if (family === "nt") {
    check(p.iPrinterCount === 2, "count " + p.iPrinterCount);
    check(p.wstrOrientation === "Landscape", "orientation " + p.wstrOrientation);
    check(p.wstrPrinterName === "Zunda Test Printer", "name " + p.wstrPrinterName);
    check(p.wstrDuplex === "Horizantal" && p.tyDuplex === 1, "duplex " + p.wstrDuplex);
    check(p.wstrQuality === "600" && p.tyQuality === 4, "quality " + p.wstrQuality);
    check(p.wstrColor === "Monochrom" && p.tyColor === 1, "color " + p.wstrColor);
    check(p.wstrMediaType === "Glossy paper" && p.tyMediaType === 1, "media " + p.wstrMediaType);
    check(p.wstrICMMethod === "ICM is handled by the device driver" && p.tyICMMethod === 2, "icm " + p.wstrICMMethod);
    check(p.wstrDither === "5" && p.tyDither === 0, "dither " + p.wstrDither);
    check(p.tyPaper === 8 && p.wstrPaper === "A4 210 x 297 mm", "paper " + p.wstrPaper);
    check(p.boCollate === true && p.iCopies === 3, "collate and copies");
    check(p.wstrAttributes === "Default", "attributes " + p.wstrAttributes);
    check(p.wstrStatus === "Not Available", "status " + p.wstrStatus);
    check(p.boDefaultPrinter === true, "default printer");
    var before = p.iPrinterIndex;
    p.iPrinterIndex = 1000;
    check(q.iPrinterIndex === 1, "clamped and shared: " + q.iPrinterIndex);
    check(p.wstrPrinterName === "Zunda Two Ports", "refreshed with the index: " + p.wstrPrinterName);
    check(p.boDefaultPrinter === false, "not the default");
    p.iPrinterIndex = -5;
    check(q.iPrinterIndex === before && before === 0, "back to the default");
    check(p.wstrLastErrorMessage === "", "no error: " + p.wstrLastErrorMessage);
} else {
    var l = p.strlPrinters;
    check(l.Count === 3, "one entry per port: " + l.Count);
    var text = "";
    for (var i = 0; i < l.Count; i++) text += l.Strings(i) + ";";
    check(text.indexOf("Zunda Two Ports an LPT1:;Zunda Two Ports an FILE:;") >= 0, "ports " + text);
    check(q.strlPrinters.Count === 3, "same list for a second object");
}
WScript.Echo("end");
WScript.Quit(failures);
