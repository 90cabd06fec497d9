// A report of this machine: runs every inventory class of the library and
// writes one JSON document and one HTML page, with one line per section on
// the console. A section that fails is reported in the document with its
// message and does not stop the others.
//
// usage: cscript //nologo report.js [base name]   (default "report": report.json, report.html)
//
// The JSON document (ASCII; characters beyond it are \u escapes):
// {
//   "schema": "zunda-machine-report/1",
//   "generated": "2026-12-11T09:30:00",          local time of the machine
//   "computer": "NAME",
//   "sections": [
//     { "name": "machine", "ok": true, "data": { ... }, "errors": [ ... ] },
//     { "name": "printers", "ok": false, "error": "message", "data": { ... }, "errors": [] },
//     ...
//   ]
// }
// Section names: machine, cpu, memory, drives, display, directx, folders,
// multimedia, timezone, devices, printers, network, dbdrivers. "data" holds
// the section's properties under the library's own property names: texts,
// numbers, booleans, lists (arrays of texts) and dates (ISO texts of local
// time). A property that could not be read is null and its message is
// listed in "errors" as "property: message". "ok" is false when the section
// itself could not run; "error" then says why.

var base = WScript.Arguments.length > 0 ? WScript.Arguments(0) : "report";

function pad(n) { return (n < 10 ? "0" : "") + n; }
function isoDate(d) {
    return d.getFullYear() + "-" + pad(d.getMonth() + 1) + "-" + pad(d.getDate()) + "T" +
           pad(d.getHours()) + ":" + pad(d.getMinutes()) + ":" + pad(d.getSeconds());
}
function message(e) { return (e && e.description) ? e.description : String(e); }

// The strings of an MxStringlist as an array.
function strings(list) {
    var out = [];
    if (list == null) return out;
    var n = list.Count;
    for (var i = 0; i < n; i++) out.push(String(list.Strings(i)));
    return out;
}

// Reads the named properties of obj into data; kinds: "" plain value,
// "list" string list, "date" a DATE.
function read(section, obj, names, kind) {
    for (var i = 0; i < names.length; i++) {
        var name = names[i];
        try {
            var v = obj[name];
            if (kind == "list") v = strings(v);
            else if (kind == "date") v = isoDate(new Date(v));
            else if (typeof v == "unknown" || typeof v == "object") v = v == null ? null : String(v);
            section.data[name] = v;
        } catch (e) {
            section.data[name] = null;
            section.errors.push(name + ": " + message(e));
        }
    }
}

var sections = [];
function run(name, body) {
    var section = { name: name, ok: true, data: {}, errors: [] };
    try {
        body(section);
    } catch (e) {
        section.ok = false;
        section.error = message(e);
    }
    sections.push(section);
    var line = section.ok ? "ok" : "FAILED: " + section.error;
    if (section.ok && section.errors.length > 0) line += " (" + section.errors.length + " properties unreadable)";
    WScript.Echo(name + ": " + line);
}

run("machine", function (s) {
    var m = new ActiveXObject("Zunda.MxMachine");
    read(s, m, ["wstrComputername", "wstrUsername", "wstrFullyQualifiedDomainName", "wstrOperatingSystem",
                "tyOperatingSystem", "boIsNT", "iMajorVersion", "iMinorVersion", "iBuildNumber", "wstrCSD",
                "wstrNTProductType", "wstrProductName", "wstrProductID", "wstrRegOwner", "wstrRegOrganization",
                "wstrLocalTime", "wstrSystemTime", "doSystemUpTime", "boIsUserAdministrator", "wstrBIOSName",
                "wstrBIOSDate", "wstrBIOSCopyright", "wstrBIOSExtendedInfo", "tyACPowerStatus",
                "tyBatteryChargeStatus", "byBatteryLifePrecent"]);
    read(s, m, ["tdLastBoot"], "date");
    read(s, m, ["strlInstalledSoftware", "strlFonts"], "list");
});

run("cpu", function (s) {
    var c = new ActiveXObject("Zunda.MxCPU");
    c.GetInfos();
    read(s, c, ["wstrVendorIDCPUID", "wstrVendorCPUID", "wstrVendor", "wstrVendorEx", "wstrVendorReg",
                "wstrCodename", "iFamily", "iModel", "iStepping", "iTyp", "iBrand", "iFrequency", "iL1Data",
                "iL1Code", "iLevel2", "wstrSerialNumber", "boFDIVBug"]);
});

run("memory", function (s) {
    var m = new ActiveXObject("Zunda.MxMemory");
    // Figures are 32-bit: 2 GiB and more read negative, 4 GiB and more read -1.
    read(s, m, ["iPhysicalTotal", "iPhysicalFree", "iPageFileTotal", "iPageFileFree", "iVirtualTotal",
                "iVirtualFree", "iMemoryLoad", "iPageSize", "iAllocGranularity"]);
});

run("drives", function (s) {
    var d = new ActiveXObject("Zunda.MxDrive");
    d.Refresh();
    // The drive records have only an IUnknown-based interface (early binding):
    // a script reports the letters.
    read(s, d, ["wstrAvailableDrives", "iCount"]);
});

run("display", function (s) {
    var d = new ActiveXObject("Zunda.MxDisplay");
    d.GetInfo();
    read(s, d, ["wstrAdapter", "wstrChipset", "wstrDAC", "iMemory", "wstrBIOSVersion", "wstrBIOSDate",
                "wstrTechnology", "iHorzRes", "iVertRes", "iColorDepth", "iPixelWidth", "iPixelHeight",
                "iPixelDiagonal"]);
    read(s, d, ["strlModes"], "list");
});

run("directx", function (s) {
    var d = new ActiveXObject("Zunda.MxDirectX");
    d.GetInfos();
    read(s, d, ["wstrVersion"]);
    read(s, d, ["strlDirect3D", "strlDirectPlay", "strlDirectMusic"], "list");
});

run("folders", function (s) {
    var p = new ActiveXObject("Zunda.MxPath");
    read(s, p, ["wstrWindows", "wstrSystemRoot", "wstrTemp", "wstrCurrent", "wstrProgramFiles",
                "wstrCommonFiles", "wstrAppData", "wstrDesktop", "wstrPersonal", "wstrFonts", "wstrStartMenu",
                "wstrPrograms", "wstrStartup", "wstrRecent", "wstrFavorites", "wstrTemplates"]);
});

run("multimedia", function (s) {
    var m = new ActiveXObject("Zunda.MxMedia");
    read(s, m, ["strlWAVEIN", "strlWAVEOut", "strlMIDIIn", "strlMIDIOut", "strlAUX", "strlMixer"], "list");
});

run("timezone", function (s) {
    var t = new ActiveXObject("Zunda.MxTimeZone");
    t.GetInfos();
    read(s, t, ["wstrDisplayname", "wstrStandard", "wstrDaylightname", "iBias", "iStandardBias",
                "iDaylightBias", "wstrMapID"]);
    read(s, t, ["dtDaylightStart", "dtStandardStart"], "date");
});

run("devices", function (s) {
    var d = new ActiveXObject("Zunda.MxDevice");
    d.GetInfo();
    // The device records have only an IUnknown-based interface (early binding).
    read(s, d, ["iDeviceCount"]);
});

run("printers", function (s) {
    var p = new ActiveXObject("Zunda.MxPrinter");
    read(s, p, ["iPrinterCount", "iPrinterIndex"]);
    read(s, p, ["strlPrinters"], "list");
    if (s.data.iPrinterCount > 0) {
        read(s, p, ["wstrPrinterName", "wstrPortName", "wstrDriverName", "wstrStatus", "wstrAttributes",
                    "boDefaultPrinter", "wstrPaper", "wstrOrientation", "wstrColor", "wstrDuplex", "iCopies"]);
    }
});

run("network", function (s) {
    var n = new ActiveXObject("Zunda.MxNetWork");
    read(s, n, ["wstrLocalIP", "wstrMAC", "iLana", "wstrWinSock_Description", "wstrWinSock_Status",
                "iWinSock_MajorVersion", "iWinSock_MinorVersion"]);
    read(s, n, ["strlAll_IPs", "strlAll_MAC", "strlLana", "strlProtocols", "strlClients", "strlServices"], "list");
    n.ReadWorkgroups();
    var groups = [];
    var count = n.iWorkgroupCount;
    for (var i = 0; i < count; i++) {
        var g = n.clWorkgroup(i);
        var computers = [];
        for (var k = 0; k < g.iCount; k++) computers.push(String(g.clComputer(k).wstrName));
        groups.push({ name: String(g.wstrName), computers: computers });
    }
    s.data.workgroups = groups;
});

run("dbdrivers", function (s) {
    var d = new ActiveXObject("Zunda.MxDBDriver");
    d.GetInfos(false, false, false);
    var lists = ["clADOProvider", "clDAODriver", "clODBCDriver", "clBDEDriver"];
    for (var i = 0; i < lists.length; i++) {
        try {
            var l = d[lists[i]];
            var names = [];
            for (var k = 0; k < l.iCount; k++) names.push(String(l.fiFiles(k)));
            s.data[lists[i]] = names;
        } catch (e) {
            s.data[lists[i]] = null;
            s.errors.push(lists[i] + ": " + message(e));
        }
    }
});

// ---------------------------------------------------------------- output

function jsonText(t) {
    var out = "\"";
    for (var i = 0; i < t.length; i++) {
        var c = t.charCodeAt(i);
        var ch = t.charAt(i);
        if (ch == "\"" || ch == "\\") out += "\\" + ch;
        else if (c < 0x20 || c > 0x7e) out += "\\u" + ("000" + c.toString(16)).slice(-4);
        else out += ch;
    }
    return out + "\"";
}

function json(v, indent) {
    if (v === null || v === undefined) return "null";
    if (typeof v == "boolean") return v ? "true" : "false";
    if (typeof v == "number") return isFinite(v) ? String(v) : "null";
    if (typeof v == "string") return jsonText(v);
    var inner = indent + "  ";
    var parts = [];
    if (v instanceof Array) {
        for (var i = 0; i < v.length; i++) parts.push(inner + json(v[i], inner));
        return parts.length ? "[\n" + parts.join(",\n") + "\n" + indent + "]" : "[]";
    }
    for (var k in v) parts.push(inner + jsonText(k) + ": " + json(v[k], inner));
    return parts.length ? "{\n" + parts.join(",\n") + "\n" + indent + "}" : "{}";
}

function htmlText(t) {
    var out = "";
    t = String(t);
    for (var i = 0; i < t.length; i++) {
        var c = t.charCodeAt(i);
        var ch = t.charAt(i);
        if (ch == "&") out += "&amp;";
        else if (ch == "<") out += "&lt;";
        else if (ch == ">") out += "&gt;";
        else if (ch == "\"") out += "&quot;";
        else if (c > 0x7e || c < 0x20) out += "&#" + c + ";";
        else out += ch;
    }
    return out;
}

function htmlValue(v) {
    if (v === null || v === undefined) return "<span class=\"none\">(not read)</span>";
    if (v instanceof Array) {
        if (v.length == 0) return "<span class=\"none\">(none)</span>";
        var items = [];
        for (var i = 0; i < v.length; i++)
            items.push("<li>" + (typeof v[i] == "object" ? htmlValue(v[i]) : htmlText(v[i])) + "</li>");
        return "<ul>" + items.join("") + "</ul>";
    }
    if (typeof v == "object") {
        var rows = [];
        for (var k in v) rows.push(htmlText(k) + ": " + htmlValue(v[k]));
        return rows.join("<br>");
    }
    return htmlText(v);
}

var computer = "";
for (var i = 0; i < sections.length; i++)
    if (sections[i].name == "machine" && sections[i].data.wstrComputername) computer = sections[i].data.wstrComputername;
var generated = isoDate(new Date());
var doc = { schema: "zunda-machine-report/1", generated: generated, computer: computer, sections: sections };

var page = ["<!DOCTYPE html>", "<html><head><meta charset=\"us-ascii\"><title>Machine report " + htmlText(computer) +
            "</title><style>body{font-family:sans-serif;max-width:60em;margin:2em auto}" +
            "th,td{border:1px solid #ccd;padding:.2em .5em;text-align:left;vertical-align:top}" +
            "table{border-collapse:collapse;width:100%}.failed{color:#a00}.none{color:#888}</style></head><body>",
            "<h1>Machine report: " + htmlText(computer) + "</h1><p>Generated " + htmlText(generated) + "</p>"];
for (var i = 0; i < sections.length; i++) {
    var s = sections[i];
    page.push("<h2 id=\"" + s.name + "\">" + htmlText(s.name) + "</h2>");
    if (!s.ok) page.push("<p class=\"failed\">Failed: " + htmlText(s.error) + "</p>");
    var rows = [];
    for (var k in s.data) rows.push("<tr><th>" + htmlText(k) + "</th><td>" + htmlValue(s.data[k]) + "</td></tr>");
    if (rows.length) page.push("<table>" + rows.join("") + "</table>");
    for (var e = 0; e < s.errors.length; e++) page.push("<p class=\"failed\">" + htmlText(s.errors[e]) + "</p>");
}
page.push("</body></html>");

var fso = new ActiveXObject("Scripting.FileSystemObject");
function write(name, text) {
    var f = fso.CreateTextFile(name, true, false);
    f.Write(text);
    f.Close();
}
write(base + ".json", json(doc, "") + "\n");
write(base + ".html", page.join("\n") + "\n");
WScript.Echo("written: " + base + ".json, " + base + ".html");
