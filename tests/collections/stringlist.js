// A JScript client of the string list, late-bound by ProgID.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
var l = new ActiveXObject("Zunda.MxStringlist");
check("Add", l.Add("b"), 0);
l.Add("a");
l.Add("k=v");
check("Count", l.Count, 3);
check("Strings", l.Strings(1), "a");
check("Values", l.Values("K"), "v");
l.Delete(0);
check("after Delete", l.Strings(0), "a");
l.Clear();
check("after Clear", l.Count, 0);
check("bad index gives empty", l.Strings(0), "");
check("message", l.wstrLastErrorMessage.indexOf("[Get_Strings]: Listenindex "), 0);
l.boRaiseErrors = true;
var raised = null;
try { var unused = l.Names(4); } catch (e) { raised = e; }
check("raised", raised !== null, true);
if (raised) {
    check("number", raised.number, 0x8000FFFF - 0x100000000);
    check("description", raised.description, "[Get_Names]: Listenindex \u00fcberschreitet das Maximum (4)");
}
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
