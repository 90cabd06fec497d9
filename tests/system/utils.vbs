' MxUtils from VBScript: registry reads and writes under HKCU\Software\ZundaTest.
Option Explicit
WScript.Echo "begin"
Dim failures, u, sh, key, caught
failures = 0
Sub Check(ok, what)
    If Not ok Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Const HKCU = &H80000001
key = "Software\ZundaTest"
Set sh = CreateObject("WScript.Shell")
sh.RegWrite "HKCU\" & key & "\Name", "Wert", "REG_SZ"
sh.RegWrite "HKCU\" & key & "\Int", 42, "REG_DWORD"
sh.RegWrite "HKCU\" & key & "\Bin", "old", "REG_SZ"

Set u = CreateObject("Zunda.MxUtils")
Check u.ReadRegString(HKCU, key, "Name") = "Wert", "string value"
Check u.ReadRegInt(HKCU, key, "Int") = 42, "integer value"
Check u.ReadRegString(HKCU, key, "Missing") = "", "missing value"
Check u.ReadRegString(HKCU, key & "\Missing", "Name") = "", "missing key"
Check u.wstrLastErrorMessage = "", "nothing reported for missing ones"

' A character pointer parameter takes the script's string.
u.WriteRegBinary HKCU, key, "Bin", "Hallo"
Check u.ReadRegBinary(HKCU, key, "Bin") = "Hallo", "binary written from a script: " & u.ReadRegBinary(HKCU, key, "Bin")
u.WriteRegString HKCU, key, "Name", "neu"
Check sh.RegRead("HKCU\" & key & "\Name") = "neu", "string written"
u.WriteRegInt HKCU, key, "New", 1
caught = False
On Error Resume Next
sh.RegRead "HKCU\" & key & "\New"
If Err.Number <> 0 Then caught = True
On Error GoTo 0
Check caught, "a missing value is not created"

Check u.ReadRegString(HKCU, key, "Int") = "", "a wrong type gives nothing"
Check u.wstrLastErrorMessage = "[ReadRegString]: The registry value 'Int' is not a string.", "wrong type: " & u.wstrLastErrorMessage
u.boRaiseErrors = True
caught = ""
On Error Resume Next
u.ReadRegInt HKCU, key, "Name"
caught = Err.Description
On Error GoTo 0
Check caught = "[ReadRegInt]: The registry value 'Name' is not a 32-bit integer.", "raised: " & caught
Check u.IsDCOMEnabled = True, "DCOM is enabled in Wine"

' Wine's WScript.Shell has no RegDelete.
sh.Run "reg delete HKCU\" & key & " /f", 0, True
WScript.Echo "end"
WScript.Quit failures
