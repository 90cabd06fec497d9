// Where the installed network protocols, clients and services are listed:
// the registry start key and the value holding a component's description,
// by Windows version.
#pragma once

namespace zunda::net {

struct ComponentKey {
    const char* startKey;   // below HKEY_LOCAL_MACHINE
    const char* valueName;
};

// os is a TYP_OS value; isNT tells the NT family from Windows 9x.
ComponentKey ComponentClassKey(int os, bool isNT);

constexpr char kProtocolClass[] = "NetTrans";
constexpr char kClientClass[] = "NetClient";
constexpr char kServiceClass[] = "NetService";

}  // namespace zunda::net
