' MxDevice late-bound from VBScript: the walk, the filter, the index error
' raised with its text.
' With an argument (nt or 9x) it checks the imported fixture of wine-devices.sh.
Option Explicit
Dim failures, family, d, n, r, lst, key
failures = 0
WScript.Echo "begin"

Sub Check(ok, what)
    If Not ok Then
        failures = failures + 1
        WScript.Echo "FAIL: " & what
    End If
End Sub

family = ""
If WScript.Arguments.Count > 0 Then family = WScript.Arguments(0)

Set d = CreateObject("Zunda.MxDevice")
Check d.tyFiltered = 35, "initial filter " & d.tyFiltered
d.GetInfo
Check d.wstrLastErrorMessage = "", "GetInfo: " & d.wstrLastErrorMessage
n = d.iDeviceCount
If n > 0 Then
    Set r = d.clDevice(0)
    Check Not (r Is Nothing), "clDevice(0) gives the record"
End If
Set r = d.clDevice(n)
Check r Is Nothing, "clDevice(count) gives no object"
Check InStr(d.wstrLastErrorMessage, "[Get_clDevice]: Listenindex ") = 1, "index error text: " & d.wstrLastErrorMessage
Check InStr(d.wstrLastErrorMessage, "berschreitet das Maximum (" & n & ")") > 0, "index in the text"

d.boRaiseErrors = True
On Error Resume Next
Set r = d.clDevice(-1)
Check Err.Number <> 0, "raised index error"
Check InStr(Err.Description, "das Maximum (-1)") > 0, "raised text: " & Err.Description
Err.Clear
On Error GoTo 0
d.boRaiseErrors = False

d.tyFiltered = 21
Check d.tyFiltered = 21, "filter stored"
If family = "nt" Then Check d.iDeviceCount = 2, "two network devices: " & d.iDeviceCount
If family = "9x" Then Check d.iDeviceCount = 1, "one network device: " & d.iDeviceCount
d.tyFiltered = 35
Check d.iDeviceCount = n, "filter removed"

' GetClassDevices hands its list back through a typed [out] parameter, which
' the script engines here refuse ("Type mismatch"); C++ clients test it.
On Error Resume Next
key = d.GetClassDevices("SYSTEM\CurrentControlSet\Control\Class", "Net", "DriverDesc", lst)
WScript.Echo "note: GetClassDevices from VBScript: error " & Hex(Err.Number) & " " & Err.Description
Err.Clear
On Error GoTo 0

WScript.Echo "end"
WScript.Quit failures
