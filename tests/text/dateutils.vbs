' A script client of MxDateUtils. With an argument "dmy" or "mdy" it also
' checks date texts in that short date format (the locale runs pass it).
Option Explicit
WScript.Echo "begin"
Dim failures : failures = 0
Sub Check(what, actual, expected)
    If actual <> expected Then
        WScript.Echo "FAIL " & what & ": got [" & actual & "] expected [" & expected & "]"
        failures = failures + 1
    End If
End Sub

Dim u : Set u = CreateObject("Zunda.MxDateUtils")
Check "leap 1900", u.DateIsLeapYear(1900), False
Check "leap 2000", u.DateIsLeapYear(2000), True
Check "days Feb 2004", u.DateDaysPerMonth(2004, 2), 29
Check "days month 13", u.DateDaysPerMonth(2004, 13), 0
Check "week 1 Jan 2005", u.DateWeekNumber(DateSerial(2005, 1, 1)), 53
Check "week 31 Dec 2007", u.DateWeekNumber(DateSerial(2007, 12, 31)), 1
Check "leap of date", u.DateIsLeapYearEx(DateSerial(2004, 7, 1)), True
Check "higher same day", u.DateHigher(DateSerial(2005, 1, 1) + TimeSerial(10, 0, 0), DateSerial(2005, 1, 1) + TimeSerial(8, 0, 0)), 3
Check "higher across centuries", u.DateHigher(DateSerial(1920, 5, 1), DateSerial(2020, 5, 1)), 2
Check "between", u.DateBetween(DateSerial(2005, 1, 5), DateSerial(2005, 1, 1), DateSerial(2005, 1, 10)), True
Check "no date", u.StrIsDate("kein Datum"), False
Check "empty texts", u.DateHigherEx("", ""), 0

' The error convention: the failure value and the text, then a raised error.
Check "failure value", u.DateBetweenEx("x", "y", "z"), False
Check "failure text", u.wstrLastErrorMessage, "[DateBetweenEx]: Convert Error. 'x' is not a valid date"
u.boRaiseErrors = True
On Error Resume Next
Dim r : r = u.DateBetweenEx("x", "y", "z")
Check "raised number", Err.Number, &H8000FFFF
Check "raised description", Err.Description, "[DateBetweenEx]: Convert Error. 'x' is not a valid date"
Check "raised source", Err.Source, "Zunda.MxDateUtils"
Err.Clear
On Error GoTo 0
u.boRaiseErrors = False

If WScript.Arguments.Count > 0 Then
    Dim order : order = WScript.Arguments(0)
    Dim d1, d2, d13
    If order = "dmy" Then
        d1 = "1.1.2005" : d2 = "02.01.2005" : d13 = "13.1.2005"
    Else
        d1 = "1/1/2005" : d2 = "1/02/2005" : d13 = "1/13/2005"
    End If
    Check "is date", u.StrIsDate(d1), True
    Check "13 January", u.StrIsDate(d13), True
    Check "higher ex", u.DateHigherEx(d2, d1), 1
    Check "higher ex equal", u.DateHigherEx(d1, d1), 3
    Check "between ex", u.DateBetweenEx(d2, d1, d13), True
    Check "between ex inverted", u.DateBetweenEx(d2, d13, d1), False
    Check "between ex at from", u.DateBetweenEx(d13, d13, d1), True
End If
WScript.Echo "end"
WScript.Quit failures
