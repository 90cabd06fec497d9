// The machine inventory from JScript: what a script can read late-bound.
WScript.Echo("begin");
var failures = 0;
function check(ok, what) {
    if (!ok) { WScript.Echo("FAIL: " + what); failures++; }
}

var m = new ActiveXObject("Zunda.MxMachine");
check(m.wstrOperatingSystem.length > 0, "operating system text");
check(m.boIsNT === true, "Wine's default version is of the NT family");
check(m.tyOperatingSystem == 10 && m.wstrOperatingSystem == "Unknown", "versions after XP are unknown: " + m.tyOperatingSystem);
check(m.iMajorVersion >= 6, "major version " + m.iMajorVersion);
check(m.wstrComputername.length > 0 && m.wstrUsername.length > 0, "names");
check(m.doSystemUpTime > 0, "up time");
check(m.wstrRegOrganization.length > 0, "product data are never empty");
check(m.wstrNTProductType == "Workstation", "product type " + m.wstrNTProductType);
check(m.wstrBIOSExtendedInfo === "", "no extended BIOS information on NT");
var env = m.strlEnvironment;
check(env.Count > 0, "environment lines");
check(m.strlEnvironment.Count == env.Count, "the list is refilled, not appended to");
check(m.strlFonts.Count > 0, "fonts");
check(m.wstrLastErrorMessage === "", "no failure: " + m.wstrLastErrorMessage);

var cpu = new ActiveXObject("Zunda.MxCPU");
check(cpu.wstrVendorCPUID.length == 12, "vendor string " + cpu.wstrVendorCPUID);
check(cpu.iFrequency > 0, "frequency " + cpu.iFrequency);
check(cpu.iFamily > 0 && cpu.iFamily <= 15, "family " + cpu.iFamily);
cpu.GetInfos();
check(cpu.wstrLastErrorMessage === "", "GetInfos: " + cpu.wstrLastErrorMessage);

var mem = new ActiveXObject("Zunda.MxMemory");
check(mem.iPageSize == 4096, "page size " + mem.iPageSize);
check(mem.iMemoryLoad >= 0 && mem.iMemoryLoad <= 100, "memory load " + mem.iMemoryLoad);
check(mem.iPhysicalTotal != 0, "physical memory");

var d = new ActiveXObject("Zunda.MxDrive");
check(d.iCount == 0, "no records before Refresh");
d.Refresh();
check(d.iCount == d.wstrAvailableDrives.length, "one record per drive letter");
check(d.wstrAvailableDrives.indexOf("C") >= 0, "drive C: " + d.wstrAvailableDrives);
var c = d.clDrivesBySign("c");
check(c != null, "record of drive C");
check(d.clDrivesBySign("C:") == null, "the whole text is compared");
check(d.clDrives(d.iCount) == null, "index past the end gives nothing");
check(d.wstrLastErrorMessage.indexOf("[Get_clDrives]: Listenindex") == 0, "index message: " + d.wstrLastErrorMessage);
d.boRaiseErrors = true;
var raised = "";
// The result is used: JScript asks for a property only when it takes a result.
try { var none = d.clDrives(-1); } catch (e) { raised = e.description; }
check(raised == "[Get_clDrives]: Listenindex \u00FCberschreitet das Maximum (-1)", "raised: " + raised);

WScript.Echo("end");
WScript.Quit(failures ? 1 : 0);
