// The display object from JScript, late-bound.
WScript.Echo("begin");
var failures = 0;
function check(ok, what) {
    if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}

var d = new ActiveXObject("Zunda.MxDisplay");
check(d.strlModes.Count == 0 && d.iHorzRes == 0 && d.wstrTechnology === "", "nothing before GetInfo");
d.GetInfo();
check(d.iHorzRes > 0 && d.iVertRes > 0, "resolution " + d.iHorzRes + " x " + d.iVertRes);
check(d.iColorDepth > 0, "colour depth " + d.iColorDepth);
check(d.wstrTechnology == "Raster Display", "technology " + d.wstrTechnology);
var modes = d.strlModes;
check(modes.Count > 0, "modes");
check(/^\d+ x \d+ - \d+ bit$/.test(modes.Strings(0)), "mode line " + modes.Strings(0));
d.GetInfo();
check(d.strlModes.Count == modes.Count, "the list is refilled, not appended to");
check(d.wstrLastErrorMessage === "", "no failure: " + d.wstrLastErrorMessage);
WScript.Echo("end");
WScript.Quit(failures ? 1 : 0);
