// Late-bound calls with arguments a member does not take fail with the
// dispatcher's error instead of running the member.
WScript.Echo("begin");
var failures = 0;
function check(what, actual, expected) {
    if (actual !== expected) {
        WScript.Echo("FAIL " + what + ": got [" + actual + "] expected [" + expected + "]");
        failures++;
    }
}
// The error number of a call, or 0 when it ran.
function errorOf(call) {
    try { call(); } catch (e) { return e.number; }
    return 0;
}
var kBadParamCount = -2147352562;  // DISP_E_BADPARAMCOUNT, 0x8002000E

var s = new ActiveXObject("Zunda.MxStrUtils");
check("three arguments", s.StrGetToken("a;b", ";", 2), "b");
check("a fourth argument", errorOf(function () { s.StrGetToken("a;b", ";", 2, 99); }), kBadParamCount);

var l = new ActiveXObject("Zunda.MxStringlist");
l.Add("kept");
check("Clear with an argument", errorOf(function () { l.Clear(1); }), kBadParamCount);
check("not cleared", l.Count, 1);
check("Clear", errorOf(function () { l.Clear(); }), 0);
check("cleared", l.Count, 0);
WScript.Echo("end");
WScript.Quit(failures === 0 ? 0 : 1);
