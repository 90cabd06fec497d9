' A VBScript client of the string list: indexed properties, name=value
' entries, sorting, the byte-array variant in a script variable, and errors.
Option Explicit
WScript.Echo "begin"
Dim failures, l, copy, bytes, ok
failures = 0
Sub Check(what, actual, expected)
    If actual <> expected Then
        WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub
Set l = CreateObject("Zunda.MxStringlist")
Check "first Add", l.Add("pear"), 0
Check "second Add", l.Add("Apple"), 1
l.Add "cherry"
l.Strings(0) = "Pear"
Check "Strings put", l.Strings(0), "Pear"
l.Values("colour") = "red"
Check "Values put appends", l.Strings(3), "colour=red"
Check "Values get ignores case", l.Values("COLOUR"), "red"
Check "Names", l.Names(3), "colour"
l.Values("colour") = ""
Check "empty value deletes", l.Count, 3
l.Sort
Check "sorted first", l.Strings(0), "Apple"
Check "sorted last", l.Strings(2), "Pear"
Check "IndexOf ignores case", l.IndexOf("CHERRY"), 1
Check "IndexOf missing", l.IndexOf("kiwi"), -1

ok = l.SaveToVariant(bytes)
Check "SaveToVariant", ok, True
Check "variant type", VarType(bytes), vbArray + vbByte
Set copy = CreateObject("Zunda.MxStringlist")
Check "LoadFromVariant", copy.LoadFromVariant(bytes), True
Check "copied count", copy.Count, 3
Check "copied entry", copy.Strings(1), "cherry"

' A failure: the failure value, the text in wstrLastErrorMessage, no error raised.
Check "bad index", l.Strings(3), ""
' Wine's VBScript has no ChrW; in the prefix's code page 1252 Chr(252) is the u with umlaut.
Check "message", l.wstrLastErrorMessage, "[Get_Strings]: Listenindex " & Chr(252) & "berschreitet das Maximum (3)"
Check "not a byte array", copy.LoadFromVariant("text"), False
Check "list kept", copy.Count, 3

l.boRaiseErrors = True
Dim raised
raised = False
On Error Resume Next
l.Delete 10
If Err.Number <> 0 Then raised = True
Check "raised description", Err.Description, "[Delete]: Listenindex " & Chr(252) & "berschreitet das Maximum (10)"
On Error GoTo 0
Check "raised", raised, True
WScript.Echo "end"
If failures = 0 Then WScript.Quit 0 Else WScript.Quit 1
