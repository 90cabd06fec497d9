// A hostile JScript caller of the file members: paths far longer than the
// shell's file operation takes, and names with characters outside the code
// page that a best-fit conversion would turn into "\", "*" or "?". Every such
// call fails with a message; no other file is touched and the host survives.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
function starts(what, text, prefix) { check(what, String(text).substr(0, prefix.length), prefix); }
function repeat(c, n) { return new Array(n + 1).join(c); }

var f = new ActiveXObject("Zunda.MxFileUtils");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var dir = fso.GetAbsolutePathName(".") + "\\tmp-hostile-js";
if (fso.FolderExists(dir)) f.Deltree(dir, false);
fso.CreateFolder(dir);
function write(name, text) { var s = fso.CreateTextFile(dir + "\\" + name, true); s.Write(text); s.Close(); }
function read(name) { var s = fso.OpenTextFile(dir + "\\" + name, 1); var t = s.AtEndOfStream ? "" : s.ReadAll(); s.Close(); return t; }
write("ab.txt", "12345");
write("victim.txt", "original");
fso.CreateFolder(dir + "\\sub");

var lengths = [600, 1000, 40000];
for (var i = 0; i < lengths.length; i++) {
    var longName = dir + "\\" + repeat("d", lengths[i]);
    check("copy " + lengths[i], f.CopyFile(dir + "\\ab.txt", longName, ""), -1);
    starts("copy message " + lengths[i], f.wstrLastErrorMessage, "[CopyFile]: Path too long");
    check("move " + lengths[i], f.MoveFile(dir + "\\missing.txt", longName, 0), -1);
    starts("move message " + lengths[i], f.wstrLastErrorMessage, "[MoveFile]: Path too long");
    check("rename " + lengths[i], f.RenameFile(dir + "\\missing.txt", longName, 0), -1);
    starts("rename message " + lengths[i], f.wstrLastErrorMessage, "[RenameFile]: Path too long");
    check("recycle " + lengths[i], f.DeleteToRecycleBin(longName, 0, false, true), -1);
    starts("recycle message " + lengths[i], f.wstrLastErrorMessage, "[DeleteToRecycleBin]: Path too long");
}

// "\u4e2d" has no mapping (best fit: "?"), "\uff0a" and "\uff3c" look like "*" and "\".
var names = ["a\u4e2d.txt", "\uff0a.txt"];
for (var j = 0; j < names.length; j++) {
    var n = dir + "\\" + names[j];
    check("size " + j, f.GetFileSize(n), 0);
    starts("size message " + j, f.wstrLastErrorMessage, "[GetFileSize]: The name \"");
    check("copy " + j, f.CopyFile(n, dir + "\\copy.txt", ""), -1);
    check("recycle " + j, f.DeleteToRecycleBin(n, 0, false, true), -1);
    check("open " + j, f.MFileOpen(n, 1, 1, 3), -1);
}
check("not copied", fso.FileExists(dir + "\\copy.txt"), false);
check("not deleted", read("ab.txt"), "12345");

var list = new ActiveXObject("Zunda.MxStringlist");
list.Add("forged");
check("save through a look-alike", list.SaveToFile(dir + "\\sub\uff3c..\uff3cvictim.txt"), false);
check("victim kept", read("victim.txt"), "original");

var drives = new ActiveXObject("Zunda.MxDrive");
drives.Refresh();
check("fullwidth drive letter", drives.clDrivesBySign("\uff23") == null, true);
check("drive C", drives.clDrivesBySign("C") != null, true);

f.Deltree(dir, false);
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
