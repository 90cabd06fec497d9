' A VBScript client of the audit log: properties, entries with the header,
' separator replacement, and an entry whose file cannot be created.
Option Explicit
WScript.Echo "begin"
Dim failures, log, fso, dir, name, text, lines, fields
failures = 0
Sub Check(what, actual, expected)
    If actual <> expected Then
        WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub
Set fso = CreateObject("Scripting.FileSystemObject")
dir = fso.GetAbsolutePathName(".") & "\tmp-auditlog-vbs"
If Not fso.FolderExists(dir) Then fso.CreateFolder dir
name = dir & "\audit.csv"
If fso.FileExists(name) Then fso.DeleteFile name

Set log = CreateObject("Zunda.MxAuditLogFile")
Check "separator", log.wstrSeperator, ";"
Check "header length", Len(log.wstrHeader), 89
Check "max size", log.iMaxFileSize, 5
log.fiFilename = name
log.wstrProgram = "Skript"
log.wstrUsername = "Anna;B"
Check "first entry", log.WriteLog("A;B", "Proc", "Hallo", 9), True
Check "second entry", log.WriteLog("T", "P", "zwei", 17), True
log.boDisableEvent = True
Check "suppressed entry", log.WriteLog("T", "P", "weg", 5), True

text = fso.OpenTextFile(name).ReadAll
lines = Split(text, vbCrLf)
Check "line count", UBound(lines), 3
Check "header", lines(0), log.wstrHeader
fields = Split(lines(1), ";")
Check "field count", UBound(fields), 8
Check "type", fields(0), "ERROR"
Check "program", fields(3), "Skript"
Check "tool", fields(4), "A,B"
Check "user", fields(6), "Anna,B"
Check "workstation", fields(7), ""
Check "message", fields(8), "Hallo"
fields = Split(lines(2), ";")
Check "second type", fields(0), "WARNING"

log.fiFilename = dir & "\no-such-dir\audit.csv"
Check "entry that cannot be written", log.WriteLog("T", "P", "M", 0), False
Check "reported", Left(log.wstrLastErrorMessage, 15), "[OpenLogFile]: "

fso.DeleteFile name
fso.DeleteFolder dir
WScript.Echo "end"
If failures = 0 Then WScript.Quit 0 Else WScript.Quit 1
