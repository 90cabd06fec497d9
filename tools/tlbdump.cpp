// Writes the contents of a type library as JSON (UTF-8): every type
// description with its kind, GUID, help string, members, DISPIDs, parameters
// and their types and defaults. The object reference is rendered from this
// output, so the reference always describes the compiled type library.
//
// usage: tlbdump <file.tlb or .dll> <out.json>
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text) {
    if (text == nullptr || *text == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return out;
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof(buf), "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string Json(const wchar_t* text) { return Json(Utf8(text)); }

std::string GuidText(const GUID& g) {
    wchar_t buf[64] = {};
    StringFromGUID2(g, buf, 64);
    return Utf8(buf);
}

const char* VtName(VARTYPE vt) {
    switch (vt) {
        case VT_I2: return "short";
        case VT_I4: return "long";
        case VT_R4: return "float";
        case VT_R8: return "double";
        case VT_CY: return "CURRENCY";
        case VT_DATE: return "DATE";
        case VT_BSTR: return "BSTR";
        case VT_DISPATCH: return "IDispatch*";
        case VT_ERROR: return "SCODE";
        case VT_BOOL: return "VARIANT_BOOL";
        case VT_VARIANT: return "VARIANT";
        case VT_UNKNOWN: return "IUnknown*";
        case VT_I1: return "char";
        case VT_UI1: return "unsigned char";
        case VT_UI2: return "unsigned short";
        case VT_UI4: return "unsigned long";
        case VT_I8: return "__int64";
        case VT_UI8: return "unsigned __int64";
        case VT_INT: return "int";
        case VT_UINT: return "unsigned int";
        case VT_VOID: return "void";
        case VT_HRESULT: return "HRESULT";
        case VT_LPSTR: return "LPSTR";
        case VT_LPWSTR: return "LPWSTR";
        default: return "?";
    }
}

std::string TypeText(ITypeInfo* ti, const TYPEDESC& td) {
    switch (td.vt) {
        case VT_PTR: return TypeText(ti, *td.lptdesc) + "*";
        case VT_SAFEARRAY: return "SAFEARRAY(" + TypeText(ti, *td.lptdesc) + ")";
        case VT_CARRAY: return TypeText(ti, td.lpadesc->tdescElem) + "[]";
        case VT_USERDEFINED: {
            ITypeInfo* ref = nullptr;
            std::string name = "?";
            if (SUCCEEDED(ti->GetRefTypeInfo(td.hreftype, &ref))) {
                BSTR n = nullptr;
                if (SUCCEEDED(ref->GetDocumentation(MEMBERID_NIL, &n, nullptr, nullptr, nullptr))) name = Utf8(n);
                SysFreeString(n);
                ref->Release();
            }
            return name;
        }
        default: return VtName(td.vt);
    }
}

std::string VariantText(VARIANT v) {
    VARIANT s;
    VariantInit(&s);
    std::string out;
    if (V_VT(&v) == VT_BSTR) {
        out.push_back('"');
        out += Utf8(V_BSTR(&v));
        out.push_back('"');
    } else if (SUCCEEDED(VariantChangeTypeEx(&s, &v, 0x409, 0, VT_BSTR))) {
        out = Utf8(V_BSTR(&s));
    }
    VariantClear(&s);
    return out;
}

const char* KindName(TYPEKIND k) {
    switch (k) {
        case TKIND_ENUM: return "enum";
        case TKIND_RECORD: return "record";
        case TKIND_MODULE: return "module";
        case TKIND_INTERFACE: return "interface";
        case TKIND_DISPATCH: return "dispinterface";
        case TKIND_COCLASS: return "coclass";
        case TKIND_ALIAS: return "alias";
        case TKIND_UNION: return "union";
        default: return "?";
    }
}

std::string Doc(ITypeInfo* ti, MEMBERID id, std::string* help) {
    BSTR name = nullptr, doc = nullptr;
    std::string out;
    if (SUCCEEDED(ti->GetDocumentation(id, &name, &doc, nullptr, nullptr))) {
        out = Utf8(name);
        if (help) *help = Utf8(doc);
    }
    SysFreeString(name);
    SysFreeString(doc);
    return out;
}

std::string Functions(ITypeInfo* ti, const TYPEATTR* ta) {
    std::string out = "[";
    for (UINT i = 0; i < ta->cFuncs; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(ti->GetFuncDesc(i, &fd))) continue;
        BSTR names[64] = {};
        UINT got = 0;
        ti->GetNames(fd->memid, names, 64, &got);
        std::string help;
        Doc(ti, fd->memid, &help);
        const char* invoke = fd->invkind == INVOKE_PROPERTYGET      ? "propget"
                             : fd->invkind == INVOKE_PROPERTYPUT    ? "propput"
                             : fd->invkind == INVOKE_PROPERTYPUTREF ? "propputref"
                                                                    : "method";
        if (i) out += ",";
        char id[24];
        std::snprintf(id, sizeof(id), "%ld", static_cast<long>(fd->memid));
        out += "\n    {\"name\":" + Json(got ? names[0] : L"") + ",\"dispid\":" + id + ",\"invoke\":\"" + invoke +
               "\",\"help\":" + Json(help) + ",\"result\":" + Json(TypeText(ti, fd->elemdescFunc.tdesc)) +
               ",\"vtableOffset\":" + std::to_string(fd->oVft) + ",\"params\":[";
        for (SHORT p = 0; p < fd->cParams; ++p) {
            const ELEMDESC& ed = fd->lprgelemdescParam[p];
            const USHORT flags = ed.paramdesc.wParamFlags;
            std::string dir;
            if (flags & PARAMFLAG_FIN) dir += "in,";
            if (flags & PARAMFLAG_FOUT) dir += "out,";
            if (flags & PARAMFLAG_FRETVAL) dir += "retval,";
            if (flags & PARAMFLAG_FOPT) dir += "optional,";
            if (!dir.empty()) dir.pop_back();
            std::string def;
            if ((flags & PARAMFLAG_FHASDEFAULT) && ed.paramdesc.pparamdescex)
                def = VariantText(ed.paramdesc.pparamdescex->varDefaultValue);
            const wchar_t* pname = static_cast<UINT>(p + 1) < got ? names[p + 1] : L"";
            if (p) out += ",";
            out += "{\"name\":" + Json(pname) + ",\"type\":" + Json(TypeText(ti, ed.tdesc)) + ",\"flags\":" +
                   Json(dir) + ",\"default\":" + Json(def) + ",\"hasDefault\":" +
                   ((flags & PARAMFLAG_FHASDEFAULT) ? "true" : "false") + "}";
        }
        out += "]}";
        for (UINT n = 0; n < got; ++n) SysFreeString(names[n]);
        ti->ReleaseFuncDesc(fd);
    }
    return out + "]";
}

std::string Variables(ITypeInfo* ti, const TYPEATTR* ta) {
    std::string out = "[";
    for (UINT i = 0; i < ta->cVars; ++i) {
        VARDESC* vd = nullptr;
        if (FAILED(ti->GetVarDesc(i, &vd))) continue;
        std::string help;
        const std::string name = Doc(ti, vd->memid, &help);
        if (i) out += ",";
        out += "\n    {\"name\":" + Json(name) + ",\"help\":" + Json(help) + ",\"type\":" +
               Json(TypeText(ti, vd->elemdescVar.tdesc));
        if (vd->varkind == VAR_CONST && vd->lpvarValue) out += ",\"value\":" + Json(VariantText(*vd->lpvarValue));
        if (vd->varkind == VAR_DISPATCH) out += ",\"dispid\":" + std::to_string(vd->memid);
        out += "}";
        ti->ReleaseVarDesc(vd);
    }
    return out + "]";
}

std::string Implemented(ITypeInfo* ti, const TYPEATTR* ta) {
    std::string out = "[";
    for (UINT i = 0; i < ta->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        ITypeInfo* rti = nullptr;
        INT flags = 0;
        if (FAILED(ti->GetRefTypeOfImplType(i, &ref)) || FAILED(ti->GetRefTypeInfo(ref, &rti))) continue;
        ti->GetImplTypeFlags(i, &flags);
        const std::string name = Doc(rti, MEMBERID_NIL, nullptr);
        rti->Release();
        if (out.size() > 1) out += ",";
        out += "{\"name\":" + Json(name) + ",\"default\":" + ((flags & IMPLTYPEFLAG_FDEFAULT) ? "true" : "false") +
               ",\"source\":" + ((flags & IMPLTYPEFLAG_FSOURCE) ? "true" : "false") + "}";
    }
    return out + "]";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tlbdump <file.tlb> <out.json>\n");
        return 2;
    }
    if (FAILED(CoInitialize(nullptr))) return 1;
    ITypeLib* tl = nullptr;
    HRESULT hr = LoadTypeLibEx(argv[1], REGKIND_NONE, &tl);
    if (FAILED(hr)) {
        std::fprintf(stderr, "tlbdump: cannot load the type library (0x%08lx)\n", static_cast<unsigned long>(hr));
        return 1;
    }
    std::string out = "{";
    {
        BSTR name = nullptr, doc = nullptr;
        tl->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
        TLIBATTR* la = nullptr;
        tl->GetLibAttr(&la);
        out += "\"name\":" + Json(name) + ",\"help\":" + Json(doc) + ",\"guid\":" + Json(GuidText(la->guid)) +
               ",\"version\":\"" + std::to_string(la->wMajorVerNum) + "." + std::to_string(la->wMinorVerNum) + "\"";
        tl->ReleaseTLibAttr(la);
        SysFreeString(name);
        SysFreeString(doc);
    }
    out += ",\"types\":[";
    const UINT count = tl->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        ITypeInfo* ti = nullptr;
        if (FAILED(tl->GetTypeInfo(i, &ti))) continue;
        TYPEATTR* ta = nullptr;
        if (FAILED(ti->GetTypeAttr(&ta))) {
            ti->Release();
            continue;
        }
        std::string help;
        const std::string name = Doc(ti, MEMBERID_NIL, &help);
        if (i) out += ",";
        out += "\n {\"name\":" + Json(name) + ",\"kind\":\"" + KindName(ta->typekind) + "\",\"guid\":" +
               Json(ta->guid == GUID_NULL ? std::string() : GuidText(ta->guid)) + ",\"help\":" + Json(help) +
               ",\"dual\":" + ((ta->wTypeFlags & TYPEFLAG_FDUAL) ? "true" : "false");
        if (ta->typekind == TKIND_ALIAS) out += ",\"aliasOf\":" + Json(TypeText(ti, ta->tdescAlias));
        // A dual interface's dispatch view lists the IDispatch members too;
        // its vtable view has only the interface's own members.
        ITypeInfo* own = ti;
        TYPEATTR* ownAttr = ta;
        if (ta->typekind == TKIND_DISPATCH && (ta->wTypeFlags & TYPEFLAG_FDUAL)) {
            HREFTYPE ref = 0;
            if (SUCCEEDED(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
                SUCCEEDED(ti->GetRefTypeInfo(ref, &own)) && SUCCEEDED(own->GetTypeAttr(&ownAttr))) {
            } else {
                own = ti;
                ownAttr = ta;
            }
        }
        // The base of a dual interface is named by its vtable view (the
        // dispatch view derives from IDispatch).
        if (ta->typekind == TKIND_INTERFACE || ta->typekind == TKIND_DISPATCH || ta->typekind == TKIND_COCLASS)
            out += ",\"implements\":" + Implemented(own, ownAttr);
        out += ",\"functions\":" + Functions(own, ownAttr) + ",\"variables\":" + Variables(ti, ta) + "}";
        if (own != ti) {
            own->ReleaseTypeAttr(ownAttr);
            own->Release();
        }
        ti->ReleaseTypeAttr(ta);
        ti->Release();
    }
    out += "\n]}\n";
    tl->Release();
    CoUninitialize();
    FILE* f = _wfopen(argv[2], L"wb");
    if (f == nullptr) {
        std::fprintf(stderr, "tlbdump: cannot write the output file\n");
        return 1;
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    return (std::fclose(f) == 0 && ok) ? 0 : 1;
}
