// A short machine inventory: operating system, processor, memory, drives,
// display, time zone and sound devices.
var m = new ActiveXObject("Zunda.MxMachine");
WScript.Echo("Computer:  " + m.wstrComputername + " (user " + m.wstrUsername + ")");
WScript.Echo("System:    " + m.wstrOperatingSystem + ", version " + m.iMajorVersion + "." + m.iMinorVersion +
             " build " + m.iBuildNumber + (m.boIsNT ? ", NT family, " + m.wstrNTProductType : ", Windows 9x family"));
WScript.Echo("Up since:  " + new Date(m.tdLastBoot) + " (" + (m.doSystemUpTime * 24).toFixed(1) + " hours)");

var cpu = new ActiveXObject("Zunda.MxCPU");
WScript.Echo("Processor: " + cpu.wstrVendorIDCPUID + " (" + cpu.wstrVendorEx + ", family " + cpu.iFamily +
             " model " + cpu.iModel + " stepping " + cpu.iStepping + "), about " + cpu.iFrequency + " MHz");

// Figures of 4 GiB or more read -1: the memory status saturates at 32 bits.
var mem = new ActiveXObject("Zunda.MxMemory");
function mib(bytes) { return bytes == -1 ? "4096 MiB or more" : Math.round((bytes < 0 ? bytes + 4294967296 : bytes) / 1048576) + " MiB"; }
WScript.Echo("Memory:    " + mib(mem.iPhysicalTotal) + " physical, " + mib(mem.iPhysicalFree) + " free, load " +
             mem.iMemoryLoad + " %");

var drives = new ActiveXObject("Zunda.MxDrive");
drives.Refresh();
WScript.Echo("Drives:    " + drives.wstrAvailableDrives.split("").join(": ") + ": (" + drives.iCount + " drive records)");
// Each record (clDrives, clDrivesBySign) has only its own IUnknown-based
// interface: its label, file system and sizes are for early-bound clients.
WScript.Echo("Drive C:   " + (drives.clDrivesBySign("C") != null ? "listed" : "missing"));

// Network: the adapters' MAC addresses (one per NetBIOS LANA) and the local address.
var net = new ActiveXObject("Zunda.MxNetWork");
var macs = net.strlAll_MAC;
for (var i = 0; i < macs.Count; i++) WScript.Echo("Adapter:   " + macs.Strings(i));
WScript.Echo("Address:   " + net.wstrLocalIP + " (WinSock " + net.iWinSock_MajorVersion + "." + net.iWinSock_MinorVersion + ")");

var display = new ActiveXObject("Zunda.MxDisplay");
display.GetInfo();
WScript.Echo("Display:   " + display.iHorzRes + " x " + display.iVertRes + ", " + display.iColorDepth + " bit, " +
             display.wstrTechnology + (display.wstrAdapter ? ", adapter " + display.wstrAdapter : "") + " (" +
             display.strlModes.Count + " modes)");

var tz = new ActiveXObject("Zunda.MxTimeZone");
tz.GetInfos();
// Biases are minutes to add to local time for UTC: Berlin's -60 is UTC+01:00.
function offset(bias) {
    var m = Math.abs(bias), text = "0" + Math.floor(m / 60) + ":0" + m % 60;
    return "UTC" + (bias <= 0 ? "+" : "-") + text.replace(/^0(\d\d)/, "$1").replace(/:0(\d\d)$/, ":$1");
}
WScript.Echo("Time zone: " + (tz.wstrDisplayname || tz.wstrStandard) + ", " + offset(tz.iBias) +
             (tz.iDaylightBias != 0 ? ", daylight time " + tz.wstrDaylightname + " " + offset(tz.iDaylightBias)
                                    : ", no daylight time"));

var media = new ActiveXObject("Zunda.MxMedia");
function names(list) {
    var out = [];
    for (var i = 0; i < list.Count; i++) out.push(list.Strings(i));
    return out.length ? out.join(", ") : "none";
}
WScript.Echo("Sound out: " + names(media.strlWAVEOut));
WScript.Echo("Sound in:  " + names(media.strlWAVEIN));
