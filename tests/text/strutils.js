// A script client of MxStrUtils: every kind of member late-bound, the
// character parameters given as strings and as character codes.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
var s = new ActiveXObject("Zunda.MxStrUtils");
check("StrToBool ja", s.StrToBool(" ja "), true);
check("StrToBool yes", s.StrToBool("yes"), false);
check("BoolToStr", s.BoolToStr(true), "TRUE");
check("CharIsAlpha string", s.CharIsAlpha("x"), true);
check("CharIsAlpha code", s.CharIsAlpha(65), true);
check("CharIsNumber blank", s.CharIsNumber(" "), true);
check("CharIsSign sharp s", s.CharIsSign("\u00df"), true);
check("CharIsSign blank", s.CharIsSign(" "), false);
check("CharIsAlphaNum far character", s.CharIsAlphaNum("\u4e30"), false);
check("CharIsAlpha null", s.CharIsAlpha(null), false);
check("StrAddChar", s.StrAddChar("abc", "'"), "'abc'");
check("StrReplace", s.StrReplace("a-b-c", "-", "+"), "a+b+c");
check("StrReplace first character only", s.StrReplace("C:/x/y", "/ignored", "\\"), "C:\\x\\y");
check("StrContains", s.StrContains("xyz", "abcz"), true);
check("StrDeleteChar", s.StrDeleteChar("a-b-c", "-"), "abc");
check("StrIsAlpha empty", s.StrIsAlpha(""), false);
check("StrIsNumber", s.StrIsNumber("1 234,5"), true);
check("StrIsAlphaNum", s.StrIsAlphaNum("abc1"), true);
check("StrIsTyp", s.StrIsTyp("abc"), 0);
check("StrLastPos", s.StrLastPos("\\", "C:\\dir\\file.txt"), 7);
check("StrGetToken", s.StrGetToken("a;b;c", ";", 2), "b");
check("StrGetToken beyond", s.StrGetToken("a;b;c", ";", 4), "");
check("StrDeleteToken", s.StrDeleteToken("a;b;c", ";", 3), "a;b");
check("StrInsertToken", s.StrInsertToken("a;b;c", ";", 2, "X"), "a;X;b;c");
check("StrSetToken", s.StrSetToken("abc", ";", 2, "X"), "abc;X");
check("StrTokenExists", s.StrTokenExists("abc", ""), false);
check("StrHowManyToken", s.StrHowManyToken("a;;b", ";"), 2);
check("StrLeft", s.StrLeft("abc", 5), "");
check("StrRight", s.StrRight("abc", 2), "bc");
check("StrTrimNull", s.StrTrimNull("  00120 "), "120");
check("StrTrimLeftEx", s.StrTrimLeftEx("xxx", "x"), "xxx");
check("StrBetween", s.StrBetween("b", "a", "c"), true);
check("StrDelete", s.StrDelete("a-b-c", "-"), "abc");
check("Copy2Symb", s.Copy2Symb(" Name=Wert", "="), " Name");
check("CopyAfterSymb", s.CopyAfterSymb("Name=Wert", "="), "Wert");
check("StrReplaceEx once", s.StrReplaceEx("a-b-c", "-", "+"), "a+b-c");
check("StrReplaceEx all", s.StrReplaceEx("a-b-c", "-", ""), "abc");
var text = "Zeile 1; Zeile 2; \u00c4rger mit dem \u20ac";
check("compress raw", s.StrDeCompress(s.StrCompress(text, false), false), text);
check("compress printable", s.StrDeCompress(s.StrCompress(text, true), true), text);
// A damaged compressed text raises for a script, and the error text stays as it was.
var raised = false;
try { s.StrDeCompress("QWE.", true); } catch (e) { raised = e.description !== ""; }
check("damaged text raises", raised, true);
check("message untouched", s.wstrLastErrorMessage, "");
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
