// The network objects from JScript: adapters, the local host, the empty
// neighbourhood, and workgroups and computers built by hand.
WScript.Echo("begin");
var failures = 0;
function check(ok, what) {
    if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}
var macPattern = /^[0-9A-F]{2}(-[0-9A-F]{2}){5}$/;

var n = new ActiveXObject("Zunda.MxNetWork");
check(n.wstrLastErrorMessage === "", "LANA 0 reset at creation: " + n.wstrLastErrorMessage);
check(n.strlLana.Count == 1 && n.strlLana.Strings(0) == "0", "LANA list");
check(macPattern.test(n.wstrMAC), "MAC " + n.wstrMAC);
var macs = n.strlAll_MAC;
check(macs.Count == 1 && macs.Strings(0) == n.wstrMAC, "all MAC addresses");
check(n.iWinSock_MajorVersion == 2 && n.iWinSock_MinorVersion == 2, "WinSock version");
check(n.wstrWinSock_Description.length > 0, "WinSock description");
check(n.GetIPAddress("localhost", 0) == "127.0.0.1", "localhost");

n.iLana = 200;
check(n.wstrLastErrorMessage == "[Reset]: Return Code = $23", "bad LANA: " + n.wstrLastErrorMessage);
check(n.wstrMAC == "Error", "MAC of a LANA that is not there");
n.iLana = 0;

n.ReadWorkgroups();
check(n.iWorkgroupCount == 0, "Wine's neighbourhood is empty");
n.boRaiseErrors = true;
var raised = "";
try { var none = n.clWorkgroup(0); } catch (e) { raised = e.description; }
check(raised == "[Get_clWorkgroup]: Listenindex \u00FCberschreitet das Maximum (0)", "raised: " + raised);

var g = new ActiveXObject("Zunda.MxNetWorkgroup");
g.wstrName = "WORKGROUP";
g.AddComputer("PC 1");
g.AddComputer("PC 1");
check(g.iCount == 2 && g.clComputer(1).wstrName == "PC 1", "computers of a workgroup");
raised = "";
try { var c = g.clComputer(2); } catch (e) { raised = e.description; }
check(raised == "Listenindex \u00FCberschreitet das Maximum (2)", "computer index: " + raised);
raised = "";
try { g.AddComputer(""); } catch (e) { raised = e.description; }
check(raised == "The computer name is empty.", "empty computer name: " + raised);

var pc = new ActiveXObject("Zunda.MxNetComputer");
pc.wstrName = "Rechner";
check(pc.wstrName == "Rechner", "computer name");

WScript.Echo("end");
WScript.Quit(failures);
