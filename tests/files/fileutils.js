// A JScript client of the file utilities: path texts, existence tests, a
// line file written through handles, versions, sizes and the error text.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
var f = new ActiveXObject("Zunda.MxFileUtils");
var fso = new ActiveXObject("Scripting.FileSystemObject");
var dir = fso.GetAbsolutePathName(".") + "\\tmp-fileutils-js";
if (fso.FolderExists(dir)) f.Deltree(dir, false);  // left over from an earlier run
fso.CreateFolder(dir);

check("Addslash", f.Addslash("C:\\dir"), "C:\\dir\\");
check("RemoveSlash", f.RemoveSlash("C:\\dir\\"), "C:\\dir");
check("ExtractFileNameOnly", f.ExtractFileNameOnly("C:\\d\\a.txt1.txt"), "a.txt1");
check("ExtractLastDirName", f.ExtractLastDirName("C:\\a\\b\\"), "b");
check("ReplaceExt", f.ReplaceExt("C:\\d\\my.file.txt", "bak"), "C:\\d\\my.bak");
check("DirExists", f.DirExists(dir), true);
check("IsDriveReady C", f.IsDriveReady("C"), true);
check("IsDriveReady Q", f.IsDriveReady("Q"), false);

var name = dir + "\\lines.txt";
var h = f.MFileOpen(name, 2, 0, 2);   // write, exclusive, create always
check("handle", h > 0, true);
f.MFileWriteLN(h, "eins");
f.MFileWriteLN(h, "zwei");
check("pointer", f.MFileGetPointer(h), 12);
check("EOF", f.MFileEOF(h), true);
check("size while open", f.GetFileSize(name) >= 0, true);

check("missing open", f.MFileOpen(dir + "\\none.txt", 1, 1, 3), -1);
check("open message", f.wstrLastErrorMessage, "[MFileOpen]: Can\u00b4t open or create File \"" + dir + "\\none.txt\".");
f.MFileSeek(0);
check("no handle", f.wstrLastErrorMessage, "[MFileSeek]: No handle number found (0).");

check("CreateEmptyFile", f.CreateEmptyFile(dir + "\\empty.txt"), true);
check("CreateEmptyFile again", f.CreateEmptyFile(dir + "\\empty.txt"), false);
check("version", f.FileVersion(fso.GetAbsolutePathName(".") + "\\versioned.dll"), "2.15.300.40000");
check("no version", f.FileVersion(dir + "\\empty.txt"), "No Version Information found (" + dir + "\\empty.txt).");
check("copy missing", f.CopyFile(dir + "\\none.txt", dir + "\\x.txt", "Copy"), -1);
check("copy", f.CopyFile(dir + "\\empty.txt", dir + "\\copy.txt", "Copy"), 0);
check("copied", fso.FileExists(dir + "\\copy.txt"), true);

// Raised errors reach the script as exceptions with the stored text.
f.boRaiseErrors = true;
var raised = null;
try { f.CopyFile(dir + "\\none.txt", dir + "\\x.txt", "Copy"); } catch (e) { raised = e; }
check("raised", raised !== null, true);
if (raised) check("raised text", raised.description, "[CopyFile]: File \"" + dir + "\\none.txt\" not found.");
f.boRaiseErrors = false;

check("Deltree of the script's folder", f.Deltree(dir, true), false);  // lines.txt is still open
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
