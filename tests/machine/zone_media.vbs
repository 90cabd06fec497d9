' Time zone, multimedia and DirectX objects from VBScript, late-bound.
Option Explicit
WScript.Echo "begin"
Dim failures, tz, media, dx, list
failures = 0
Sub Check(ok, what)
    If Not ok Then
        WScript.Echo "FAIL: " & what
        failures = failures + 1
    End If
End Sub

Set tz = CreateObject("Zunda.MxTimeZone")
Check tz.wstrStandard = "" And tz.iBias = 0, "nothing before GetInfos"
tz.GetInfos
Check Len(tz.wstrStandard) > 0, "standard name"
Check Len(tz.wstrDisplayname) > 0, "the zone is in the registry's list"
Check TypeName(tz.dtDaylightStart) = "Date", "daylight start is a date: " & TypeName(tz.dtDaylightStart)
If tz.dtDaylightStart <> 0 Then
    Check Year(tz.dtDaylightStart) = Year(Now), "this year's transition: " & tz.dtDaylightStart
End If
Check tz.wstrLastErrorMessage = "", "no failure: " & tz.wstrLastErrorMessage

Set media = CreateObject("Zunda.MxMedia")
Set list = media.strlWAVEOut
Check list.Count = 0, "no wave output device in a plain prefix: " & list.Count
Check media.strlMixer.Count = 0, "no mixer"
Check Not (media.strlWAVEIN Is media.strlWAVEIN), "a new list per read"

Set dx = CreateObject("Zunda.MxDirectX")
Check Len(dx.wstrVersion) > 0, "DirectX version"
Check dx.strlDirect3D Is dx.strlDirect3D, "the object's own list"
Check dx.wstrLastErrorMessage = "", "no failure: " & dx.wstrLastErrorMessage
WScript.Echo "end"
WScript.Quit failures
