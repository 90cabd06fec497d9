// Example client: creates Zunda objects by ProgID and uses them late-bound.
var s = new ActiveXObject("Zunda.MxStrUtils");
WScript.Echo("Token 2 of 'red;green;blue': " + s.StrGetToken("red;green;blue", ";", 2));
WScript.Echo("Tokens after inserting 'cyan' at 2: " + s.StrInsertToken("red;green;blue", ";", 2, "cyan"));
WScript.Echo("StrIsTyp('abc1') (1 = alphanumeric): " + s.StrIsTyp("abc1"));
var packed = s.StrCompress("Zunda Zunda Zunda Zunda Zunda", true);
WScript.Echo("Compressed and encoded: " + packed + " -> " + s.StrDeCompress(packed, true));

var d = new ActiveXObject("Zunda.MxDateUtils");
WScript.Echo("ISO week of 1 January 2005: " + d.DateWeekNumber(38353));
WScript.Echo("2004 is a leap year: " + d.DateIsLeapYear(2004) + ", February 2004 has " + d.DateDaysPerMonth(2004, 2) + " days");

var l = new ActiveXObject("Zunda.MxStringlist");
l.Add("pear"); l.Add("Apple"); l.Add("fig"); l.Sort();
WScript.Echo("Sorted list: " + l.Strings(0) + ", " + l.Strings(1) + ", " + l.Strings(2));

var f = new ActiveXObject("Zunda.MxFileUtils");
WScript.Echo("ReplaceExt of C:\\d\\my.file.txt with bak: " + f.ReplaceExt("C:\\d\\my.file.txt", "bak"));

// The error convention: the failure value, and the text in wstrLastErrorMessage.
var ok = d.DateBetweenEx("no date", "1.1.2000", "1.1.2001");
WScript.Echo("DateBetweenEx with a text that is no date: " + ok + ", " + d.wstrLastErrorMessage);
d.boRaiseErrors = true;
try { d.DateBetweenEx("no date", "1.1.2000", "1.1.2001"); } catch (e) { WScript.Echo("Raised: " + e.description); }
