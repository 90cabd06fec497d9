// A JScript client of MxDateUtils: a failing member with the error text kept,
// then the same failure raised once boRaiseErrors is set.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
var text = "[DateBetweenEx]: Convert Error. 'x' is not a valid date";
var u = new ActiveXObject("Zunda.MxDateUtils");
check("week number", u.DateWeekNumber(38353), 53);   // 2005-01-01
check("leap year", u.DateIsLeapYear(2000), true);
check("failure value", u.DateBetweenEx("x", "y", "z"), false);
check("failure text", u.wstrLastErrorMessage, text);
u.wstrLastErrorMessage = "";
u.boRaiseErrors = true;
var raised = null;
try { u.DateBetweenEx("x", "y", "z"); } catch (e) { raised = e; }
check("raised", raised !== null, true);
if (raised) {
    check("raised description", raised.description, text);
    check("raised number", raised.number, 0x8000FFFF - 0x100000000);
}
check("text kept after raise", u.wstrLastErrorMessage, text);
check("success leaves the text", u.DateDaysPerMonth(2004, 2), 29);
check("text still there", u.wstrLastErrorMessage, text);
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
