' A VBScript client of MxStrUtils: character parameters as strings and
' character codes, token functions and the replacement members.
Option Explicit
WScript.Echo "begin"
Dim failures : failures = 0
Sub Check(what, actual, expected)
    If actual <> expected Then
        WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub

Dim s : Set s = CreateObject("Zunda.MxStrUtils")
Check "CharIsAlpha", s.CharIsAlpha("a"), True
' Wine's VBScript has no AscW; Asc gives the same code for these characters.
Check "CharIsAlpha code", s.CharIsAlpha(Asc("7")), False
Check "CharIsNumber code", s.CharIsNumber(Asc("7")), True
Check "CharIsSign", s.CharIsSign("#"), True
Check "StrReplace", s.StrReplace("C:/a/b", "/", "\"), "C:\a\b"
Check "StrAddChar", s.StrAddChar("abc", Chr(34)), Chr(34) & "abc" & Chr(34)
Check "StrDeleteChar", s.StrDeleteChar("1.234.567", "."), "1234567"
Check "StrLastPos", s.StrLastPos("\", "C:\dir\file.txt"), 7
Check "StrGetToken", s.StrGetToken("a;;b", ";", 3), "b"
Check "StrHowManyToken", s.StrHowManyToken("a;;b", ";"), 2
Check "StrTokenExists", s.StrTokenExists("a;b", ";"), True
Check "StrToBool", s.StrToBool("Falsch"), False
Check "StrTrimEx", s.StrTrimEx(";;a;;", ";"), "a"
Check "Copy2Symb", s.Copy2Symb("Name=Wert", "="), "Name"
Check "CopyAfterSymb", s.CopyAfterSymb(" Name = Wert", "="), " Wert"
Check "StrReplaceEx", s.StrReplaceEx("Pfad %APP%\bin", "%app%", "Zunda"), "Pfad Zunda\bin"
Check "no message", s.wstrLastErrorMessage, ""
WScript.Echo "end"
WScript.Quit failures
