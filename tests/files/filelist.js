// File records, file lists, special folders and the driver catalogue from
// JScript: what a script can read late-bound.
WScript.Echo("begin");
var failures = 0;
function check(ok, what) {
    if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}

var p = new ActiveXObject("Zunda.MxPath");
var win = p.wstrWindows;
check(win.length > 2 && win == p.wstrSystemRoot, "Windows folder " + win);
check(p.ParsePath("%windir%\\inf") == win + "\\inf", "ParsePath");
check(p.wstrDrives === "", "virtual folders are empty");
check(p.GetReport().Count == 38, "report lines");

var r = new ActiveXObject("Zunda.MxFileRecord");
check(r.SetFilename("notepad.exe", true, false) === true, "notepad.exe is found");
check(r.wstrPath.length > 0 && r.wstrExtension == "exe" && r.wstrName == "notepad", "name parts " + r.fiFilename);
check(r.iAttributes > 0, "attributes");
check(r.SetFilename("", true, false) === false, "an empty name finds nothing");

var l = new ActiveXObject("Zunda.MxFileList");
check(l.Add(win + "\\notepad.exe", false, false) === 0, "first index");
l.Add(win + "\\regedit.exe", false, false);
check(l.iCount == 2 && l.IndexOf(win.toUpperCase() + "\\REGEDIT.EXE") == 1, "IndexOf ignores case");
l.GetAllFileInfos(true);
check(l.Waitfor(30) === true && l.boThreadReady === true, "the worker finished");
check(l.clFileRecord(1).wstrName == "regedit", "records by index");
var raised = "";
try { var none = l.fiFiles(5); } catch (e) { raised = e.description; }
check(raised.indexOf("(5)") > 0, "an index past the end fails: " + raised);

var db = new ActiveXObject("Zunda.MxDBDriver");
db.GetInfos();
check(db.clODBCDriver.iCount >= 0 && db.wstrLastErrorMessage === "", "catalogues");

WScript.Echo("end");
WScript.Quit(failures);
