// The type library as clients see it: loaded by LIBID from the registered
// server and compared with the published catalogue of the library.
#include "tests/support/win/com_test.h"

#include <map>

namespace zunda::test {
namespace {

enum class Kind { Dual, Events, Custom, Dispatchable };

struct InterfaceRow {
    const wchar_t* name;
    const wchar_t* iid;
    const wchar_t* parent;
    Kind kind;
    int members;
    const wchar_t* help;
};

struct ClassRow {
    const wchar_t* name;
    const wchar_t* clsid;
    const wchar_t* defaultInterface;
    const wchar_t* source;
    const wchar_t* help;
};

struct AliasRow {
    const wchar_t* name;
    const wchar_t* guid;
};

const InterfaceRow kInterfaces[] = {
    {L"IMxBaseInterface", L"{56960A52-EE36-40E1-B9BA-13DA83E110BF}", L"IDispatch", Kind::Dual, 4, L"MxBaseInterface Interface"},
    {L"IMxAuditLogFile", L"{39BF56C5-6118-4F97-8598-A7CED04F6B19}", L"IMxBaseInterface", Kind::Dual, 17, L"MxAuditLogFile Interface"},
    {L"IMxAuditLogFileEvents", L"{4E237E9B-F262-4965-840F-363B712181E6}", L"IDispatch", Kind::Events, 2, L"MxAuditLogFile Events Interface"},
    {L"IMxStringlist", L"{436564F1-4AF2-4A26-A605-3DCEDC3DCA00}", L"IMxBaseInterface", Kind::Dual, 16, L"MxStringlist Interface"},
    {L"IMxStringlistEvents", L"{11F9E908-E022-4E4B-A0AA-E18D9953F301}", L"IDispatch", Kind::Events, 2, L"MxStringlist Events Interface"},
    {L"IMxEvents", L"{B24F1A71-6F1C-49BA-9362-B0158D35FE61}", L"IDispatch", Kind::Events, 1, L"Event Interface "},
    {L"IMxFileRecord", L"{CE3817C5-DAF4-4773-9343-E7DA595EE100}", L"IDispatch", Kind::Dual, 30, L"MxFileRecord Interface"},
    {L"IMxFileList", L"{784DA509-168E-4BBB-A0AB-ACE8189FCA93}", L"IMxBaseInterface", Kind::Dual, 15, L"MxFileList Interface"},
    {L"IMxStrUtils", L"{BD8C4933-D6AF-4222-ACFC-66EE408BFE56}", L"IMxBaseInterface", Kind::Dual, 34, L"MxStrUtils Interface"},
    {L"IMxFileUtils", L"{1BE3C07E-F22D-4690-9A96-2B42BF8E9C73}", L"IMxBaseInterface", Kind::Dual, 29, L"MxFileUtils Interface"},
    {L"IMxDateUtils", L"{6BCEE37F-A7A9-45D7-BE00-F2B0A876C08A}", L"IMxBaseInterface", Kind::Dual, 10, L"MxDateUtils Interface"},
    {L"IMxUtils", L"{7A75F04F-C3A5-474C-9A07-D386A7D29CD4}", L"IMxBaseInterface", Kind::Dual, 17, L"MxUtils Interface"},
    {L"IMxDeviceRecord", L"{E9782A25-C2E1-41BB-8BDF-B88985360CFA}", L"IUnknown", Kind::Custom, 41, L"MxDeviceRecord Interface"},
    {L"IMxDevice", L"{3EC3E5AD-D230-48A7-AB0B-BF4D62CC5F3A}", L"IMxBaseInterface", Kind::Dispatchable, 8, L"MxDevice Interface"},
    {L"IMxMachine", L"{7B233FE0-02EF-4683-BE7F-50869C93EDC6}", L"IMxBaseInterface", Kind::Dual, 37, L"MxMachine Interface"},
    {L"IMxPrinter", L"{8459AF65-1D99-4285-B27C-3E02B812B25D}", L"IMxBaseInterface", Kind::Dual, 78, L"MxPrinter Interface"},
    {L"IMxPath", L"{B243B565-15EA-4001-BAD1-C8B421D4F537}", L"IMxBaseInterface", Kind::Dual, 40, L"MxPath Interface"},
    {L"IMxDirectX", L"{3F82CC2C-8BFD-4525-AC7F-CF3076D27B2A}", L"IMxBaseInterface", Kind::Dual, 5, L"MxDirectX Interface"},
    {L"IMxDBDriver", L"{2AF689A8-3D4D-425B-AEFE-531FA887BB3A}", L"IMxBaseInterface", Kind::Dual, 5, L"MxDBDriver Interface"},
    {L"IMxMemory", L"{CD970905-5D32-4EF2-A7AF-70B35F743648}", L"IMxBaseInterface", Kind::Dual, 11, L"MxMemory Interface"},
    {L"IMxDriveRecord", L"{53529AD2-7BA5-4C9F-9396-FD3659A1C9B6}", L"IUnknown", Kind::Custom, 13, L"MxDriveRecord Interface"},
    {L"IMxDrive", L"{8E8E7B10-5885-43A4-8E46-ACD0375A3B15}", L"IMxBaseInterface", Kind::Dual, 5, L"MxDrive Interface"},
    {L"IMxDisplay", L"{D11C2F15-33B0-4635-96B0-0ABCF7D57FF6}", L"IMxBaseInterface", Kind::Dual, 20, L"MxDisplay Interface"},
    {L"IMxNetComputer", L"{BCD363B7-1B7E-4E5F-8212-C4B44582C8B9}", L"IDispatch", Kind::Dual, 2, L"MxComputer Interface"},
    {L"IMxNetWorkgroup", L"{E030AC96-6167-4695-B0AB-1ED990AFEC42}", L"IDispatch", Kind::Dual, 5, L"MxNetWorkgroup Interface"},
    {L"IMxNetWork", L"{EC424D61-E728-4A33-91C7-6599D40722FE}", L"IMxBaseInterface", Kind::Dual, 19, L"MxNetWork Interface"},
    {L"IMxMedia", L"{AF4D11BE-C7D2-4860-8494-AFD7F8F256C9}", L"IMxBaseInterface", Kind::Dual, 6, L"MxMedia Interface"},
    {L"IMxCPU", L"{A470FFED-FAC8-43FF-8898-259DAE0F9417}", L"IMxBaseInterface", Kind::Dual, 25, L"MxCPU Interface"},
    {L"IMxTimeZone", L"{AD356CF5-18DE-4B91-B07A-E50C4E9BAA53}", L"IMxBaseInterface", Kind::Dual, 10, L"MxTimezone Object"},
};

const ClassRow kClasses[] = {
    {L"MxBaseInterface", L"{C52324D2-0DD2-4D14-95E4-CC7DDE9C46F9}", L"IMxBaseInterface", nullptr, L"MxBaseInterface Object"},
    {L"MxAuditLogFile", L"{FAD67BF4-27EB-458A-A20D-03557A3B80D0}", L"IMxAuditLogFile", L"IMxAuditLogFileEvents", L"MxAuditLogFile Object"},
    {L"MxStringlist", L"{06D31D4B-16D7-44F8-86D8-F6408E17EC90}", L"IMxStringlist", L"IMxStringlistEvents", L"MxStringlist Object"},
    {L"MxFileRecord", L"{8CFD0E24-B9D6-4BEF-B2E2-4ADB0D001BB5}", L"IMxFileRecord", nullptr, L"MxFileRecord Object"},
    {L"MxFileList", L"{91E2B103-32BA-4CB8-A215-F3BBD1FA345F}", L"IMxFileList", L"IMxEvents", L"MxFileList Object"},
    {L"MxStrUtils", L"{9FC6AEA0-6C00-44C5-B881-D300B953B376}", L"IMxStrUtils", L"IMxEvents", L"MxStrUtils Object"},
    {L"MxFileUtils", L"{D28BBDF9-C99E-4429-A07C-2B044E19F6F2}", L"IMxFileUtils", L"IMxEvents", L"MxFileutils Object"},
    {L"MxDateUtils", L"{DA1C6B0E-FB28-49A8-8827-B8E5CA19A07F}", L"IMxDateUtils", L"IMxEvents", L"MxDateUtils Object"},
    {L"MxUtils", L"{779A7716-3824-4D3A-A415-A24382ADD85C}", L"IMxUtils", L"IMxEvents", L"MxUtils Object"},
    {L"MxDeviceRecord", L"{D7A955EB-2937-4853-B928-5EF0A63CEEEC}", L"IMxDeviceRecord", nullptr, L"MxDeviceRecord Object"},
    {L"MxDevice", L"{853AA4AB-DA1D-469B-9DC1-0844EA71E936}", L"IMxDevice", L"IMxEvents", L"MxDevice Object"},
    {L"MxMachine", L"{A82E54A3-D4DD-46A6-BE4D-8FE1EFC0A32A}", L"IMxMachine", L"IMxEvents", L"MxMachine Object"},
    {L"MxPrinter", L"{D9FDEA7B-1960-4742-AF0F-5D96AFFBB62B}", L"IMxPrinter", L"IMxEvents", L"MxPrinter Object"},
    {L"MxPath", L"{A1EC5FAD-9C92-414C-AED0-579F8AB7D2FD}", L"IMxPath", L"IMxEvents", L"MxPath Object"},
    {L"MxDirectX", L"{C65F6BB4-DCE6-4A90-9935-CA2B4490E714}", L"IMxDirectX", L"IMxEvents", L"MxDirectX Object"},
    {L"MxDBDriver", L"{A1479776-4471-4B54-B1B9-0646F402679C}", L"IMxDBDriver", L"IMxEvents", L"MxDBDriver Object"},
    {L"MxMemory", L"{DDC72BB2-F150-4223-8AD9-436F2D8BCB63}", L"IMxMemory", L"IMxEvents", L"MxMemory Object"},
    {L"MxDriveRecord", L"{ECA7479E-F716-4C30-9E7A-B7C6D28659FF}", L"IMxDriveRecord", nullptr, L"MxDriveRecord Object"},
    {L"MxDrive", L"{246421BA-2E08-4CC9-BA6A-3A02D4BAAFF7}", L"IMxDrive", L"IMxEvents", L"MxDrive Object"},
    {L"MxDisplay", L"{E378A026-BE26-4959-B055-DF9FB744F1D6}", L"IMxDisplay", L"IMxEvents", L"MxDisplay Object"},
    {L"MxNetComputer", L"{F697AD6E-2C38-4EF4-B1C2-F2612C0A279D}", L"IMxNetComputer", nullptr, L"MxComputer Object"},
    {L"MxNetWorkgroup", L"{F564CC6A-5821-48E7-84DB-3EC44F7BBAD3}", L"IMxNetWorkgroup", L"IMxEvents", L"MxNetWorkgroup Object"},
    {L"MxNetWork", L"{976BE5E8-C27E-44E0-BECA-5A9A951E78E6}", L"IMxNetWork", L"IMxEvents", L"MxNetWork Object"},
    {L"MxMedia", L"{E2AD825E-ADEB-4083-84C6-CE0F395B165E}", L"IMxMedia", nullptr, L"MxMedia Objekt"},
    {L"MxCPU", L"{EBE4B0E6-3F71-4EF3-ACC7-726AA8AED8FE}", L"IMxCPU", L"IMxEvents", L"MxCPU Objekt"},
    {L"MxTimeZone", L"{90DF3AA1-0453-428E-8D4B-885203DFE947}", L"IMxTimeZone", L"IMxEvents", L"MxTimeZone Objekt"},
};

const AliasRow kPointerAliases[] = {
    {L"PMxAuditLogFile", L"{EE7D4FEC-54EF-4D1C-B0EC-DD2268CCDE85}"},
    {L"PMxStringlist", L"{53E1B922-DC55-4199-B62A-91BF9BEF3F5F}"},
    {L"PMxFileRecord", L"{334A23A6-E03D-4B29-85F4-BB0A52767922}"},
    {L"PMxFileList", L"{CB34E43B-A4E8-4EE5-A91B-03B85CFF9ABF}"},
    {L"PMxStrUtils", L"{EC3F3B02-F787-4394-B503-C0B8968EADFD}"},
    {L"PMxFileUtils", L"{EC4708F0-296C-419A-B47C-88D884887748}"},
    {L"PMxDateUtils", L"{CF0E890D-8BCD-42BE-BC63-37068057A766}"},
    {L"PMxUtils", L"{CF24F5BA-3B75-4645-B360-F1693995810F}"},
    {L"PMxDeviceRecord", L"{062E88C9-54AD-4C26-A4ED-07A6A452357E}"},
    {L"PMxDevice", L"{E5CBEDA6-7541-4987-B58C-D69B4A741F96}"},
    {L"PMxMachine", L"{D0B61D1A-91D1-4298-A9A6-F12AC8D89B26}"},
    {L"PMxPrinter", L"{53C0A0DF-ADEF-4802-83CB-6E146FC60C88}"},
    {L"PMxPath", L"{A6CC04BD-0233-4C46-8281-6F08AFEA7647}"},
    {L"PMxDirectX", L"{E892C533-C815-47D3-893C-CF753CE66B35}"},
    {L"PMxDBDriver", L"{D69A9FBA-DD3F-41AD-9136-2C5ED376BE60}"},
    {L"PMxMemory", L"{62901589-C300-46B4-A233-854EC4703099}"},
    {L"PMxDriveRecord", L"{42A1FE15-8A9E-416A-B776-71481DF255E0}"},
    {L"PMxDrive", L"{EFE527F7-95BB-4B75-BB1B-1FE89A8DD2BE}"},
    {L"PMxDisplay", L"{4AF912E5-6863-4FBD-A121-A4D3D6ED1287}"},
    {L"PMxNetComputer", L"{C8575180-5E1D-467D-B5DE-D67ABD97EFE4}"},
    {L"PMxNetWorkgroup", L"{EB91A1A0-AD13-4882-99B1-BE148BBFBA26}"},
    {L"PMxNetWork", L"{3A1E9175-92DC-4CE7-BBE1-1E011366B1C9}"},
    {L"PMxMedia", L"{0596C840-6FF3-49F4-8E36-C7910BD17EBC}"},
};

const GUID kLibid = {0x778AA618, 0x11D3, 0x4B05, {0xBD, 0x00, 0x10, 0xC3, 0x30, 0x34, 0x0E, 0xF1}};

GUID Guid(const wchar_t* text) {
    GUID g = {};
    EXPECT_EQ(CLSIDFromString(const_cast<LPOLESTR>(text), &g), S_OK) << text;
    return g;
}

std::wstring GuidText(const GUID& g) {
    wchar_t buf[40] = {};
    StringFromGUID2(g, buf, 40);
    return buf;
}

class TypeLibTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(LoadRegTypeLib(kLibid, 1, 0, 0x409, lib.Put()), S_OK); }

    ComPtr<ITypeInfo> Info(const wchar_t* guid) {
        ComPtr<ITypeInfo> ti;
        EXPECT_EQ(lib->GetTypeInfoOfGuid(Guid(guid), ti.Put()), S_OK) << guid;
        return ti;
    }
    ComPtr<ITypeInfo> ByName(const wchar_t* name) {
        ComPtr<ITypeInfo> found;
        UINT n = lib->GetTypeInfoCount();
        for (UINT i = 0; i < n; ++i) {
            BSTR nm = nullptr;
            lib->GetDocumentation(static_cast<INT>(i), &nm, nullptr, nullptr, nullptr);
            if (Take(nm) == name) {
                lib->GetTypeInfo(i, found.Put());
                break;
            }
        }
        EXPECT_TRUE(found) << "no type " << std::string(name, name + wcslen(name));
        return found;
    }
    static std::wstring Name(ITypeInfo* ti, MEMBERID id = MEMBERID_NIL) {
        BSTR n = nullptr;
        ti->GetDocumentation(id, &n, nullptr, nullptr, nullptr);
        return Take(n);
    }
    static std::wstring Help(ITypeInfo* ti, MEMBERID id = MEMBERID_NIL) {
        BSTR d = nullptr;
        ti->GetDocumentation(id, nullptr, &d, nullptr, nullptr);
        return Take(d);
    }
    // The vtable view of a dual interface; the type itself otherwise.
    static ComPtr<ITypeInfo> VtableView(ITypeInfo* ti) {
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        bool dual = ta->typekind == TKIND_DISPATCH && (ta->wTypeFlags & TYPEFLAG_FDUAL);
        ti->ReleaseTypeAttr(ta);
        ComPtr<ITypeInfo> out(ti);
        if (dual) {
            HREFTYPE h = 0;
            EXPECT_EQ(ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &h), S_OK);
            EXPECT_EQ(ti->GetRefTypeInfo(h, out.Put()), S_OK);
        }
        return out;
    }
    static std::wstring ParentName(ITypeInfo* ti) {
        HREFTYPE h = 0;
        ComPtr<ITypeInfo> parent;
        if (FAILED(ti->GetRefTypeOfImplType(0, &h)) || FAILED(ti->GetRefTypeInfo(h, parent.Put()))) return L"";
        return Name(parent.Get());
    }
    struct Attr {
        TYPEKIND kind;
        WORD flags;
        WORD funcs;
        WORD vars;
        WORD implTypes;
        GUID guid;
        ULONG size;
        TYPEDESC alias;
    };
    static Attr AttrOf(ITypeInfo* ti) {
        TYPEATTR* ta = nullptr;
        EXPECT_EQ(ti->GetTypeAttr(&ta), S_OK);
        Attr a{ta->typekind, ta->wTypeFlags, ta->cFuncs, ta->cVars, ta->cImplTypes, ta->guid, ta->cbSizeInstance, ta->tdescAlias};
        ti->ReleaseTypeAttr(ta);
        return a;
    }

    ComPtr<ITypeLib> lib;
};

TEST_F(TypeLibTest, LibraryHeaderAndCounts) {
    TLIBATTR* la = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
    EXPECT_EQ(la->guid, kLibid);
    EXPECT_EQ(la->wMajorVerNum, 1);
    EXPECT_EQ(la->wMinorVerNum, 0);
    EXPECT_EQ(la->lcid, 0x409u);
    lib->ReleaseTLibAttr(la);
    BSTR name = nullptr, doc = nullptr;
    lib->GetDocumentation(-1, &name, &doc, nullptr, nullptr);
    EXPECT_EQ(Take(name), L"Zunda");
    EXPECT_EQ(Take(doc), L"Zunda Type Library Pre-Beta");

    ASSERT_EQ(lib->GetTypeInfoCount(), 112u);
    std::map<TYPEKIND, int> kinds;
    for (UINT i = 0; i < 112; ++i) {
        TYPEKIND k;
        lib->GetTypeInfoType(i, &k);
        ++kinds[k];
    }
    EXPECT_EQ(kinds[TKIND_ENUM], 25);
    EXPECT_EQ(kinds[TKIND_RECORD], 6);
    EXPECT_EQ(kinds[TKIND_ALIAS], 26);
    EXPECT_EQ(kinds[TKIND_DISPATCH], 26);  // 23 dual + 3 event interfaces
    EXPECT_EQ(kinds[TKIND_INTERFACE], 3);  // 1 dispatchable + 2 custom
    EXPECT_EQ(kinds[TKIND_COCLASS], 26);
}

TEST_F(TypeLibTest, InterfacesMatchTheCatalogue) {
    const size_t ptr = sizeof(void*);
    for (const InterfaceRow& row : kInterfaces) {
        SCOPED_TRACE(std::string(row.name, row.name + wcslen(row.name)));
        ComPtr<ITypeInfo> ti = Info(row.iid);
        ASSERT_TRUE(ti);
        EXPECT_EQ(Name(ti.Get()), row.name);
        EXPECT_EQ(Help(ti.Get()), row.help);
        Attr a = AttrOf(ti.Get());
        switch (row.kind) {
            case Kind::Dual:
                EXPECT_EQ(a.kind, TKIND_DISPATCH);
                EXPECT_TRUE(a.flags & TYPEFLAG_FDUAL);
                break;
            case Kind::Events:
                EXPECT_EQ(a.kind, TKIND_DISPATCH);
                EXPECT_FALSE(a.flags & TYPEFLAG_FDUAL);
                break;
            case Kind::Custom:
                EXPECT_EQ(a.kind, TKIND_INTERFACE);
                EXPECT_FALSE(a.flags & TYPEFLAG_FDISPATCHABLE);
                EXPECT_TRUE(a.flags & TYPEFLAG_FOLEAUTOMATION);
                break;
            case Kind::Dispatchable:
                EXPECT_EQ(a.kind, TKIND_INTERFACE);
                EXPECT_TRUE(a.flags & TYPEFLAG_FDISPATCHABLE);
                EXPECT_FALSE(a.flags & TYPEFLAG_FDUAL);
                break;
        }
        ComPtr<ITypeInfo> vt = row.kind == Kind::Events ? ti : VtableView(ti.Get());
        EXPECT_EQ(ParentName(vt.Get()), row.parent);
        Attr va = AttrOf(vt.Get());
        EXPECT_EQ(va.funcs, row.members);
        if (row.kind == Kind::Events) continue;

        // Slot order: the first own member follows the parent's slots.
        const std::wstring parent = row.parent;
        size_t firstSlot = parent == L"IUnknown" ? 3 : parent == L"IDispatch" ? 7 : 11;
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(vt->GetFuncDesc(0, &fd), S_OK);
        EXPECT_EQ(static_cast<size_t>(fd->oVft), firstSlot * ptr);
        vt->ReleaseFuncDesc(fd);

        // The base properties and their DISPIDs exist exactly on the IMxBaseInterface family.
        if (row.kind == Kind::Dual || row.kind == Kind::Dispatchable) {
            DISPID ids[2] = {};
            LPOLESTR names[2] = {const_cast<LPOLESTR>(L"wstrLastErrorMessage"), const_cast<LPOLESTR>(L"boRaiseErrors")};
            HRESULT h1 = ti->GetIDsOfNames(&names[0], 1, &ids[0]);
            HRESULT h2 = ti->GetIDsOfNames(&names[1], 1, &ids[1]);
            bool based = parent == L"IMxBaseInterface" || std::wstring(row.name) == L"IMxBaseInterface";
            if (based) {
                EXPECT_EQ(h1, S_OK);
                EXPECT_EQ(h2, S_OK);
                EXPECT_EQ(ids[0], 1000);
                EXPECT_EQ(ids[1], 1001);
            } else {
                EXPECT_NE(h1, S_OK);
                EXPECT_NE(h2, S_OK);
            }
        }
    }
}

TEST_F(TypeLibTest, ObjectClassesMatchTheCatalogue) {
    for (const ClassRow& row : kClasses) {
        SCOPED_TRACE(std::string(row.name, row.name + wcslen(row.name)));
        ComPtr<ITypeInfo> ti = Info(row.clsid);
        ASSERT_TRUE(ti);
        EXPECT_EQ(Name(ti.Get()), row.name);
        EXPECT_EQ(Help(ti.Get()), row.help);
        Attr a = AttrOf(ti.Get());
        EXPECT_EQ(a.kind, TKIND_COCLASS);
        EXPECT_TRUE(a.flags & TYPEFLAG_FCANCREATE);
        std::wstring def, source;
        for (UINT i = 0; i < a.implTypes; ++i) {
            INT flags = 0;
            ti->GetImplTypeFlags(i, &flags);
            HREFTYPE h = 0;
            ComPtr<ITypeInfo> impl;
            ti->GetRefTypeOfImplType(i, &h);
            ti->GetRefTypeInfo(h, impl.Put());
            if ((flags & IMPLTYPEFLAG_FDEFAULT) && (flags & IMPLTYPEFLAG_FSOURCE))
                source = Name(impl.Get());
            else if (flags & IMPLTYPEFLAG_FDEFAULT)
                def = Name(impl.Get());
        }
        EXPECT_EQ(def, row.defaultInterface);
        EXPECT_EQ(source, row.source ? row.source : L"");
    }
}

TEST_F(TypeLibTest, RecordsArePackedRowsOfBooleanFlags) {
    const std::map<std::wstring, std::vector<std::wstring>> records = {
        {L"Rec_CurveCap", {L"boCircles", L"boPieWedges", L"boChords", L"boEllipses", L"boWideBorders",
                           L"boStyledBorders", L"boWideStyledBorders", L"boInteriors", L"boRoundedRects"}},
        {L"Rec_LineCap", {L"boPolylines", L"boMarkers", L"boMultipleMarkers", L"boWideLines", L"boStyledLines",
                          L"boWideStyledLines", L"boInteriors"}},
        {L"Rec_PolygonCap", {L"boAltFillPolygons", L"boRectangles", L"boWindingFillPolygons", L"boSingleScanlines",
                             L"boWideBorders", L"boStyledBorders", L"boWideStyledBorders", L"boInteriors"}},
        {L"Rec_RasterCap", {L"boRequieresBanding", L"boTranserBitmaps", L"boBitmaps64K", L"boSetGetDIBits",
                            L"boSetDIBitsToDevice", L"boFloodFills", L"boWindow2xFeatures", L"boPaletteBased",
                            L"boScaling", L"boStretchBlt", L"boStretchDIBits"}},
        {L"Rec_TextCap", {L"boCharOutPrec", L"boStrokeOutPrec", L"boCharRotation90", L"boCharRotationAny",
                          L"boScaleIndependent", L"boDoubledCharScaling", L"boIntMultiScaling",
                          L"boAnyMultiExactScaling", L"boDoubleWeightChars", L"boItalics", L"boUnderlines",
                          L"boStrikeouts", L"boRasterFonts", L"boVectorFonts", L"boNoScrollUsingBlts",
                          L"boStrokeClipPrec"}},
        {L"Rec_CPU_Features", {L"bo3DNOW", L"boEX_3DNOW", L"boSIMD", L"boSERIAL", L"boXSR", L"boMMX", L"boPSE36",
                               L"boPAT", L"boCMOV", L"boMCA", L"boPGE", L"boMTRR", L"boSEP", L"boAPIC", L"boCX8",
                               L"boMCE", L"boPAE", L"boMSR", L"boTSC", L"boPSE", L"boDE", L"boVME", L"boFPU",
                               L"boEXMMX", L"boFDiv"}},
    };
    for (const auto& [name, fields] : records) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        ComPtr<ITypeInfo> ti = ByName(name.c_str());
        ASSERT_TRUE(ti);
        Attr a = AttrOf(ti.Get());
        EXPECT_EQ(a.kind, TKIND_RECORD);
        ASSERT_EQ(a.vars, fields.size());
        EXPECT_EQ(a.size, 2 * fields.size());
        EXPECT_EQ(a.guid == GUID_NULL, name != L"Rec_CPU_Features");
        for (UINT i = 0; i < a.vars; ++i) {
            VARDESC* vd = nullptr;
            ASSERT_EQ(ti->GetVarDesc(i, &vd), S_OK);
            EXPECT_EQ(Name(ti.Get(), vd->memid), fields[i]);
            EXPECT_EQ(vd->elemdescVar.tdesc.vt, VT_BOOL);
            EXPECT_EQ(vd->oInst, 2 * i);
            ti->ReleaseVarDesc(vd);
        }
    }
    EXPECT_EQ(GuidText(AttrOf(ByName(L"Rec_CPU_Features").Get()).guid), L"{5AFE9876-1DC9-41F8-97CA-62123F690262}");
}

TEST_F(TypeLibTest, AliasesAndTheirTargets) {
    struct Basic {
        const wchar_t* name;
        const wchar_t* guid;
        VARTYPE vt;
    };
    for (const Basic& b : {Basic{L"TFilename", L"{4031CA74-8457-4126-93BE-575356F687D6}", VT_BSTR},
                           Basic{L"TDateTime", L"{E7CEBD08-7B2C-44B7-B973-DBD95DE3FA7D}", VT_R8},
                           Basic{L"HKEY", L"{3F99784D-BE35-41B1-9199-BE6D9401DD70}", VT_I4}}) {
        ComPtr<ITypeInfo> ti = Info(b.guid);
        ASSERT_TRUE(ti);
        Attr a = AttrOf(ti.Get());
        EXPECT_EQ(Name(ti.Get()), b.name);
        EXPECT_EQ(a.kind, TKIND_ALIAS);
        EXPECT_EQ(a.alias.vt, b.vt);
    }
    for (const AliasRow& row : kPointerAliases) {
        SCOPED_TRACE(std::string(row.name, row.name + wcslen(row.name)));
        ComPtr<ITypeInfo> ti = Info(row.guid);
        ASSERT_TRUE(ti);
        EXPECT_EQ(Name(ti.Get()), row.name);
        Attr a = AttrOf(ti.Get());
        ASSERT_EQ(a.kind, TKIND_ALIAS);
        // A pointer to a reference of the object class's default interface.
        ASSERT_EQ(a.alias.vt, VT_PTR);
        ASSERT_EQ(a.alias.lptdesc->vt, VT_PTR);
        ASSERT_EQ(a.alias.lptdesc->lptdesc->vt, VT_USERDEFINED);
        ComPtr<ITypeInfo> target;
        ASSERT_EQ(ti->GetRefTypeInfo(a.alias.lptdesc->lptdesc->hreftype, target.Put()), S_OK);
        EXPECT_EQ(Name(target.Get()), std::wstring(L"I") + (row.name + 1));
    }
    // Members that take file names are typed with the alias, and it stays one type description.
    ComPtr<ITypeInfo> fu = VtableView(Info(L"{1BE3C07E-F22D-4690-9A96-2B42BF8E9C73}").Get());
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(fu->GetFuncDesc(2, &fd), S_OK);  // ExtractFileNameOnly(fiFilename)
    ASSERT_EQ(fd->lprgelemdescParam[0].tdesc.vt, VT_USERDEFINED);
    ComPtr<ITypeInfo> alias;
    ASSERT_EQ(fu->GetRefTypeInfo(fd->lprgelemdescParam[0].tdesc.hreftype, alias.Put()), S_OK);
    EXPECT_EQ(GuidText(AttrOf(alias.Get()).guid), L"{4031CA74-8457-4126-93BE-575356F687D6}");
    fu->ReleaseFuncDesc(fd);
}

TEST_F(TypeLibTest, EnumerationsCarryTheirValues) {
    struct EnumRow {
        const wchar_t* name;
        int count;
        const wchar_t* last;
        int lastValue;
    };
    const EnumRow rows[] = {
        {L"TYP_LogFile", 18, L"tlWarning", 17},
        {L"TYP_FileAccessMode", 2, L"tfaGENERIC_WRITE", 2},
        {L"TYP_FileShareMode", 2, L"tfsFILE_SHARE_WRITE", 2},
        {L"TYP_FileCreationDistribution", 5, L"tfcTruncate_Existing", 5},
        {L"TYP_String", 4, L"tsUnknown", 3},
        {L"TYP_DeviceClass", 36, L"tdcNone", 35},
        {L"TYP_OS", 11, L"toUnknown", 10},
        {L"TYP_NTProduct", 4, L"tptAdvancedServer", 3},
        {L"TYP_Printer_Attrib", 13, L"taRawOnly", 12},
        {L"TYP_Printer_Status", 25, L"tsPowerSave", 24},
        {L"TYP_Printer_Orientation", 2, L"toLandscape", 1},
        {L"TYP_Printer_Quality", 5, L"tqOther", 4},
        {L"TYP_Printer_Color", 2, L"tcMonochrom", 1},
        {L"TYP_Printer_Duplex", 3, L"tdVertical", 2},
        {L"TYP_Printer_DefaultSource", 15, L"tdsOther", 14},
        {L"TYP_Printer_TTOption", 4, L"ttoDownloadOutline", 3},
        {L"TYP_Printer_DisplayFlags", 2, L"tdfInterlaced", 1},
        {L"TYP_Printer_ICMMethod", 5, L"timUser", 4},
        {L"TYP_Printer_ICMIntent", 4, L"tiiUser", 3},
        {L"TYP_Printer_MediaType", 3, L"tmtTransparency", 2},
        {L"TYP_Printer_Dither", 5, L"tdiGrayScale", 4},
        {L"TYP_Printer_Paper", 119, L"tpLETTER_EXTRA_TRANSVERSE", 118},
        {L"TYP_Drive_Media", 7, L"tmRAMDisk", 6},
        {L"TYP_APM_PowerStatus", 3, L"tapOnline", 2},
        {L"TYP_APM_BatteryStatus", 6, L"tabNoBattery", 5},
    };
    for (const EnumRow& row : rows) {
        SCOPED_TRACE(std::string(row.name, row.name + wcslen(row.name)));
        ComPtr<ITypeInfo> ti = ByName(row.name);
        ASSERT_TRUE(ti);
        Attr a = AttrOf(ti.Get());
        EXPECT_EQ(a.kind, TKIND_ENUM);
        ASSERT_EQ(a.vars, row.count);
        VARDESC* vd = nullptr;
        ASSERT_EQ(ti->GetVarDesc(a.vars - 1, &vd), S_OK);
        EXPECT_EQ(Name(ti.Get(), vd->memid), row.last);
        EXPECT_EQ(vd->lpvarValue->lVal, row.lastValue);
        ti->ReleaseVarDesc(vd);
    }
    EXPECT_EQ(Help(ByName(L"TYP_String").Get()), L"String Types");
    EXPECT_EQ(GuidText(AttrOf(ByName(L"TYP_APM_PowerStatus").Get()).guid), L"{9FD44AC8-ED7C-433E-8306-DDEB4EAC8687}");
    EXPECT_EQ(GuidText(AttrOf(ByName(L"TYP_APM_BatteryStatus").Get()).guid), L"{BF85AA92-755F-49AB-9BAA-ED7F335CBCC8}");
    // The paper sizes keep the enumeration's own numbering.
    ComPtr<ITypeInfo> paper = ByName(L"TYP_Printer_Paper");
    std::map<std::wstring, long> values;
    for (UINT i = 0; i < 119; ++i) {
        VARDESC* vd = nullptr;
        paper->GetVarDesc(i, &vd);
        values[Name(paper.Get(), vd->memid)] = vd->lpvarValue->lVal;
        paper->ReleaseVarDesc(vd);
    }
    EXPECT_EQ(values[L"tpLETTER"], 0);
    EXPECT_EQ(values[L"tpA4"], 8);
    EXPECT_EQ(values[L"tpA_PLUS"], 54);
    EXPECT_EQ(values[L"tpUser"], 115);
    EXPECT_EQ(values[L"tpA4_TRANSVERSE"], 116);
}

TEST_F(TypeLibTest, StringUtilityHelpStrings) {
    ComPtr<ITypeInfo> ti = Info(L"{BD8C4933-D6AF-4222-ACFC-66EE408BFE56}");
    ASSERT_TRUE(ti);
    const std::pair<const wchar_t*, const wchar_t*> expected[] = {
        {L"StrToBool", L"Converts a String to a Bool"},
        {L"BoolToStr", L"Converts a Bool to an String"},
        {L"CharIsAlphaNum", L"Checks a Char if is Alpha Numeric"},
        {L"CharIsAlpha", L"Checks a Char if is Alphabetic"},
        {L"CharIsNumber", L"Checks a Char if is a Number"},
        {L"CharIsSign", L"Checks a Char if is a Sign"},
        {L"StrAddChar", L"Adds a Char infront of a string and back "},
        {L"StrReplace", L"Replaces a Char in a String"},
        {L"StrContains", L"Checks if a String contains another string"},
        {L"StrDeleteChar", L"Delete\u00B4s a Char in a String"},
        {L"StrIsAlpha", L"Check if a String is Alphabetic"},
        {L"StrIsAlphaNum", L"Check if an String is Alpha Numeric"},
        {L"StrIsNumber", L"Check if a String is Numeric"},
        {L"StrIsTyp", L"Check which Typ is the String"},
        {L"StrLastPos", L"Search a Char in a String and gives the position back"},
        {L"StrGetToken", L" "},
        {L"StrLeft", L""},
        {L"StrReplaceEx", L""},
    };
    for (const auto& [member, help] : expected) {
        DISPID id = 0;
        LPOLESTR n = const_cast<LPOLESTR>(member);
        ASSERT_EQ(ti->GetIDsOfNames(&n, 1, &id), S_OK);
        EXPECT_EQ(Help(ti.Get(), id), help) << std::string(member, member + wcslen(member));
    }
}

}  // namespace
}  // namespace zunda::test
