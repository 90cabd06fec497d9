' The machine's date values from VBScript (Wine's JScript cannot take a date).
Option Explicit
WScript.Echo "begin"
Dim failures, m, boot
failures = 0
Sub Check(ok, what)
    If Not ok Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Set m = CreateObject("Zunda.MxMachine")
boot = m.tdLastBoot
Check TypeName(boot) = "Date", "last boot is a date: " & TypeName(boot)
Check boot < Now, "last boot lies in the past: " & boot
Check boot > DateSerial(2000, 1, 1), "last boot is a recent date: " & boot
Check m.doSystemUpTime > 0, "up time"
WScript.Echo "end"
WScript.Quit failures
