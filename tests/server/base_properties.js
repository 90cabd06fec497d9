// A script client that creates the base carrier by ProgID and uses its two properties late-bound.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
var o = new ActiveXObject("Zunda.MxBaseInterface");
check("initial message", o.wstrLastErrorMessage, "");
check("initial raise flag", o.boRaiseErrors, false);
o.wstrLastErrorMessage = "Meldung \u00e4";
check("message written", o.wstrLastErrorMessage, "Meldung \u00e4");
o.wstrLastErrorMessage = "";
check("message cleared", o.wstrLastErrorMessage, "");
o.boRaiseErrors = 5;
check("raise flag from 5", o.boRaiseErrors, true);
o.boRaiseErrors = 0;
check("raise flag cleared", o.boRaiseErrors, false);
var unknown = false;
try { o.NoSuchMember(); } catch (e) { unknown = true; }
check("unknown member raises", unknown, true);
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
