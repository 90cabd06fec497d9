' A VBScript client of the base carrier: the two properties, late-bound.
Option Explicit
WScript.Echo "begin"
Dim failures, o
failures = 0
Sub Check(what, actual, expected)
    If actual <> expected Then
        WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub
Set o = CreateObject("Zunda.MxBaseInterface")
Check "initial message", o.wstrLastErrorMessage, ""
Check "initial raise flag", CInt(o.boRaiseErrors), 0
o.wstrLastErrorMessage = "Text"
Check "message written", o.wstrLastErrorMessage, "Text"
o.boRaiseErrors = 5
Check "raise flag from 5", CInt(o.boRaiseErrors), -1
WScript.Echo "end"
If failures = 0 Then WScript.Quit 0 Else WScript.Quit 1
