// MxPrinter from a C++ client: the empty-printer path of a fresh prefix and,
// in the runs of wine-printers.sh, real printers made with Wine's PostScript
// driver whose stored device mode is read back and compared field by field
// with the spooler's own structure.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <cstdlib>
#include <cstring>
#include <fstream>

ZUNDA_TEST_IMPLEMENTED(MxPrinter);

namespace zunda::test {
namespace {

const char kPrinter[] = "Zunda Test Printer";
const char kTwoPorts[] = "Zunda Two Ports";
const char kDriver[] = "Zunda Test Driver";

int LocalPrinterCount() {
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    return needed == 0 ? 0 : 1;
}

std::wstring LastError(IMxPrinter* p) {
    BSTR s = nullptr;
    EXPECT_EQ(p->get_wstrLastErrorMessage(&s), S_OK);
    return Take(s);
}

TEST(MxPrinterTest, WithoutPrintersEveryReadIsEmptyAndRefreshSaysWhy) {
    if (LocalPrinterCount() != 0) GTEST_SKIP() << "this prefix has printers";
    ComPtr<IMxPrinter> p = Create<IMxPrinter>(CLSID_MxPrinter);
    ASSERT_TRUE(p);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPrinterName), L"");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPrinterCount), 0);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPrinterIndex), -1);
    EXPECT_EQ(p->Refresh(), S_OK);
    EXPECT_EQ(LastError(p.Get()), L"[GetCurrentPrinterInformation]: Zur Zeit ist kein Standarddrucker gew\u00E4hlt");
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPortName), L"");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyOrientation), toPortrait);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrOrientation), L"");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyQuality), tqOther);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrQuality), L"");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyPaper), tpA4);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPaper), L"");
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrICMMethod), L"");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iCopies), 0);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_boCollate), VARIANT_FALSE);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyAttributes), taDefault);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrAttributes), L"Default");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyStatus), tsNotAvailable);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrStatus), L"Not Available");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_boDefaultPrinter), VARIANT_FALSE);
    for (long index : {5L, -5L, 0L}) {
        EXPECT_EQ(p->put_iPrinterIndex(index), S_OK);
        EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPrinterIndex), -1);
    }
    ComPtr<IMxStringlist> a, b;
    ASSERT_EQ(p->get_strlPrinters(a.Put()), S_OK);
    ASSERT_EQ(p->get_strlPrinters(b.Put()), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
    EXPECT_TRUE(ListItems(a.Get()).empty());
    Rec_TextCap caps{};
    ASSERT_EQ(p->get_rcTextCaps(&caps), S_OK);
    EXPECT_EQ(caps.boItalics, VARIANT_FALSE);

    ASSERT_EQ(p->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    EXPECT_EQ(p->Refresh(), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorInfo().description,
              L"[GetCurrentPrinterInformation]: Zur Zeit ist kein Standarddrucker gew\u00E4hlt");

    ComPtr<IDispatch> late = CreateByProgId(L"Zunda.MxPrinter");
    ASSERT_TRUE(late);
    CallResult r = PropGet(late.Get(), L"rcCurveCaps");
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_RECORD);
}

// ---------------------------------------------------------------- printers made in wine-printers.sh

// The stored default device mode of a printer, as the spooler's structure.
std::vector<BYTE> StoredPrinter(const char* name) {
    HANDLE h = nullptr;
    std::vector<BYTE> buffer;
    if (!OpenPrinterA(const_cast<char*>(name), &h, nullptr)) return buffer;
    DWORD needed = 0;
    GetPrinterA(h, 2, nullptr, 0, &needed);
    buffer.resize(needed);
    if (!needed || !GetPrinterA(h, 2, buffer.data(), needed, &needed)) buffer.clear();
    ClosePrinter(h);
    return buffer;
}

void AddTestPrinter(const char* name, const char* ports) {
    PRINTER_INFO_2A info = {};
    info.pPrinterName = const_cast<char*>(name);
    info.pPortName = const_cast<char*>(ports);
    info.pDriverName = const_cast<char*>(kDriver);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    info.pComment = const_cast<char*>("Zunda comment");
    info.pLocation = const_cast<char*>("Zunda lab");
    info.Priority = 7;
    info.DefaultPriority = 3;
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_TRUE(h) << name << " error " << GetLastError();
    ClosePrinter(h);
}

TEST(PrinterSetup, CreatesTheTestPrinters) {
    const char* ppd = std::getenv("ZUNDA_PRINTER_SETUP");
    if (!ppd) GTEST_SKIP() << "runs in wine-printers.sh";
    char dir[MAX_PATH] = {};
    DWORD got = 0;
    ASSERT_TRUE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof(dir), &got));
    const std::string data = std::string(dir) + "\\zundatst.ppd";
    ASSERT_TRUE(CopyFileA(ppd, data.c_str(), FALSE)) << GetLastError();
    DRIVER_INFO_3A driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pDriverPath = const_cast<char*>("wineps.drv");
    driver.pDataFile = const_cast<char*>(data.c_str());
    driver.pConfigFile = const_cast<char*>("wineps.drv");
    ASSERT_TRUE(AddPrinterDriverExA(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
        << GetLastError();
    AddTestPrinter(kPrinter, "FILE:");
    AddTestPrinter(kTwoPorts, "LPT1:,FILE:");

    // The driver's own device mode with the settings of the test, value by value.
    std::vector<BYTE> stored = StoredPrinter(kPrinter);
    ASSERT_FALSE(stored.empty());
    auto* info = reinterpret_cast<PRINTER_INFO_2A*>(stored.data());
    ASSERT_TRUE(info->pDevMode);
    DEVMODEA* dm = info->pDevMode;
    dm->dmOrientation = DMORIENT_LANDSCAPE;
    dm->dmPaperSize = DMPAPER_A4;
    dm->dmScale = 90;
    dm->dmCopies = 3;
    dm->dmDefaultSource = DMBIN_FORMSOURCE;
    dm->dmPrintQuality = 600;
    dm->dmColor = DMCOLOR_MONOCHROME;
    dm->dmDuplex = DMDUP_HORIZONTAL;
    dm->dmYResolution = 600;
    dm->dmTTOption = DMTT_SUBDEV;
    dm->dmCollate = DMCOLLATE_TRUE;
    std::strcpy(reinterpret_cast<char*>(dm->dmFormName), "A4");
    dm->dmLogPixels = 96;
    dm->dmDisplayFlags = 1;  // DM_GRAYSCALE
    dm->dmICMMethod = DMICMMETHOD_DRIVER;
    dm->dmICMIntent = DMICM_USER;
    dm->dmMediaType = DMMEDIA_GLOSSY;
    dm->dmDitherType = 5;
    dm->dmFields |= DM_ORIENTATION | DM_PAPERSIZE | DM_SCALE | DM_COPIES | DM_DEFAULTSOURCE | DM_PRINTQUALITY |
                    DM_COLOR | DM_DUPLEX | DM_YRESOLUTION | DM_TTOPTION | DM_COLLATE | DM_FORMNAME |
                    DM_LOGPIXELS | DM_DISPLAYFLAGS | DM_ICMMETHOD | DM_ICMINTENT | DM_MEDIATYPE | DM_DITHERTYPE;
    info->Attributes = 0x240;  // local, complete first: several bits
    HANDLE h = nullptr;
    PRINTER_DEFAULTSA access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &h, &access));
    EXPECT_TRUE(SetPrinterA(h, 2, stored.data(), 0)) << GetLastError();
    ClosePrinter(h);
    ASSERT_TRUE(WriteProfileStringA("windows", "device", "Zunda Test Printer,winspool,FILE:"));
}

std::wstring Wide(const char* s) { return std::wstring(s, s + std::strlen(s)); }

// Objects of several apartments (one thread each) share the list and the current printer.
DWORD WINAPI PrinterWorker(void* start) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DWORD bad = 0;
    {
        ComPtr<IMxPrinter> p;
        if (FAILED(CoCreateInstance(CLSID_MxPrinter, nullptr, CLSCTX_INPROC_SERVER, IID_IMxPrinter,
                                    reinterpret_cast<void**>(p.Put()))))
            bad = 1000;
        WaitForSingleObject(static_cast<HANDLE>(start), INFINITE);  // first uses at the same moment
        for (int i = 0; p && i < 60; ++i) {
            long index = -2, count = 0;
            if (FAILED(p->put_iPrinterIndex(i % 3 - 1))) ++bad;
            if (FAILED(p->get_iPrinterIndex(&index)) || index < 0 || index > 1) ++bad;
            if (FAILED(p->get_iPrinterCount(&count)) || count != 2) ++bad;
            IMxStringlist* list = nullptr;
            if (FAILED(p->get_strlPrinters(&list)) || !list) ++bad;
            if (list) list->Release();
        }
    }
    CoUninitialize();
    return bad;
}

TEST(MxPrinterFixture, ObjectsOfSeveralThreadsShareTheListSafely) {
    const char* family = std::getenv("ZUNDA_PRINTER_FIXTURE");
    if (!family || std::string(family) != "nt") GTEST_SKIP() << "runs in wine-printers.sh";
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE threads[8];
    for (HANDLE& t : threads) t = CreateThread(nullptr, 0, PrinterWorker, start, 0, nullptr);
    Sleep(300);
    SetEvent(start);
    WaitForMultipleObjects(8, threads, TRUE, INFINITE);
    CloseHandle(start);
    for (HANDLE t : threads) {
        DWORD code = 99;
        GetExitCodeThread(t, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(t);
    }
    ComPtr<IMxPrinter> p = Create<IMxPrinter>(CLSID_MxPrinter);
    ASSERT_EQ(p->put_iPrinterIndex(-1), S_OK);
}

TEST(MxPrinterFixture, ReadsTheStoredSettingsOfTheDefaultPrinter) {
    const char* family = std::getenv("ZUNDA_PRINTER_FIXTURE");
    if (!family || std::string(family) != "nt") GTEST_SKIP() << "runs in wine-printers.sh";
    // Read before any device context exists for the printer.
    const std::vector<BYTE> stored = StoredPrinter(kPrinter);
    ASSERT_FALSE(stored.empty());
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(stored.data());
    ASSERT_TRUE(info->pDevMode);
    const DEVMODEA& dm = *info->pDevMode;

    ComPtr<IMxPrinter> p = Create<IMxPrinter>(CLSID_MxPrinter);
    ASSERT_TRUE(p);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPrinterName), L"");  // nothing before the first refresh
    // The first device-mode read refreshes by itself.
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyOrientation), toLandscape);
    EXPECT_EQ(LastError(p.Get()), L"");
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPrinterName), Wide(kPrinter));
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPortName), L"FILE:");
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrDriverName), Wide(kDriver));
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrComment), L"Zunda comment");
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrLocation), L"Zunda lab");
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPrintProcessor), Wide(info->pPrintProcessor));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPriority), static_cast<long>(info->Priority));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iDefaultPriority), static_cast<long>(info->DefaultPriority));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iJobs), 0);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyAttributes), info->Attributes == 0x40 ? taLocal : taDefault);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyStatus), tsNotAvailable);  // idle

    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrDeviceName),
              Wide(std::string(reinterpret_cast<const char*>(dm.dmDeviceName), strnlen(reinterpret_cast<const char*>(dm.dmDeviceName), 32)).c_str()));
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrFormname), L"A4");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_boCollate), VARIANT_TRUE);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iSpecVersion), dm.dmSpecVersion);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iDriverVersion), dm.dmDriverVersion);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iSize), dm.dmSize);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iDriverExtra), dm.dmDriverExtra);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iFields), static_cast<long>(dm.dmFields));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPaperLength), dm.dmPaperLength);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPaperWidth), dm.dmPaperWidth);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iScale), 90);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iCopies), 3);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iYResolution), 600);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iLogPixels), 96);
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iBitsPerPel), static_cast<long>(dm.dmBitsPerPel));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPelsWidth), static_cast<long>(dm.dmPelsWidth));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPelsHeight), static_cast<long>(dm.dmPelsHeight));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iDisplayFrequency), static_cast<long>(dm.dmDisplayFrequency));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iICCManufacturer), static_cast<long>(dm.dmReserved1));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iICCModel), static_cast<long>(dm.dmReserved2));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPanningWidth), static_cast<long>(dm.dmPanningWidth));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPanningHeight), static_cast<long>(dm.dmPanningHeight));

    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyQuality), tqOther);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrQuality), L"600");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyColor), tcMonochrom);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrColor), L"Monochrom");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyDuplex), tdHorizontal);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrDuplex), L"Horizantal");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyDefaultSource), tdsFormSource);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrDefaultSource), L"FormSource");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyTTOption), ttoSubDev);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrTTOption), L"Substitutes device");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyDisplayFlags), tdfGrayScale);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrDisplayFlags), L"Gray Scale");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyICMMethod), timDriver);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrICMMethod), L"ICM is handled by the device driver");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyICMIntent), tiiUser);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrICMIntent), L"Device-specific intents start here");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyMediaType), tmtGlossy);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrMediaType), L"Glossy paper");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyDither), tdiNone);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrDither), L"5");
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_tyPaper), tpA4);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPaper), L"A4 210 x 297 mm");
}

TEST(MxPrinterFixture, IndexIsClampedSharedByAllObjectsAndTheDefaultTestLeavesIt) {
    const char* family = std::getenv("ZUNDA_PRINTER_FIXTURE");
    if (!family || std::string(family) != "nt") GTEST_SKIP() << "runs in wine-printers.sh";
    ComPtr<IMxPrinter> a = Create<IMxPrinter>(CLSID_MxPrinter);
    ComPtr<IMxPrinter> b = Create<IMxPrinter>(CLSID_MxPrinter);
    ASSERT_TRUE(a && b);
    ComPtr<IMxStringlist> list;
    ASSERT_EQ(a->get_strlPrinters(list.Put()), S_OK);
    EXPECT_EQ(ListItems(list.Get()), (std::vector<std::wstring>{Wide(kPrinter), Wide(kTwoPorts)}));
    EXPECT_EQ(Read(a.Get(), &IMxPrinter::get_iPrinterCount), 2);
    EXPECT_EQ(Read(a.Get(), &IMxPrinter::get_iPrinterIndex), 0);  // the default printer's position
    EXPECT_EQ(Read(a.Get(), &IMxPrinter::get_boDefaultPrinter), VARIANT_TRUE);

    ASSERT_EQ(a->put_iPrinterIndex(1000), S_OK);
    EXPECT_EQ(Read(b.Get(), &IMxPrinter::get_iPrinterIndex), 1);
    EXPECT_EQ(ReadText(a.Get(), &IMxPrinter::get_wstrPrinterName), Wide(kTwoPorts));
    EXPECT_EQ(ReadText(b.Get(), &IMxPrinter::get_wstrPrinterName), L"");  // b's information is b's own
    EXPECT_EQ(b->Refresh(), S_OK);
    EXPECT_EQ(ReadText(b.Get(), &IMxPrinter::get_wstrPrinterName), Wide(kTwoPorts));
    EXPECT_EQ(Read(b.Get(), &IMxPrinter::get_boDefaultPrinter), VARIANT_FALSE);
    EXPECT_EQ(Read(a.Get(), &IMxPrinter::get_iPrinterIndex), 1);  // unchanged by the default test
    ASSERT_EQ(b->put_iPrinterIndex(-5), S_OK);
    EXPECT_EQ(Read(a.Get(), &IMxPrinter::get_iPrinterIndex), 0);
    EXPECT_EQ(Read(a.Get(), &IMxPrinter::get_boDefaultPrinter), VARIANT_TRUE);
    EXPECT_EQ(LastError(a.Get()), L"");
    EXPECT_EQ(LastError(b.Get()), L"");
}

TEST(MxPrinterFixture, NinetyFiveFamilyListsEveryPortOfAPrinter) {
    const char* family = std::getenv("ZUNDA_PRINTER_FIXTURE");
    if (!family || std::string(family) != "9x") GTEST_SKIP() << "runs in wine-printers.sh";
    ComPtr<IMxPrinter> p = Create<IMxPrinter>(CLSID_MxPrinter);
    ASSERT_TRUE(p);
    ComPtr<IMxStringlist> list;
    ASSERT_EQ(p->get_strlPrinters(list.Put()), S_OK);
    EXPECT_EQ(ListItems(list.Get()),
              (std::vector<std::wstring>{L"Zunda Test Printer an FILE:", L"Zunda Two Ports an LPT1:",
                                         L"Zunda Two Ports an FILE:"}));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_iPrinterIndex), 0);
    ASSERT_EQ(p->put_iPrinterIndex(1), S_OK);
    EXPECT_EQ(ReadText(p.Get(), &IMxPrinter::get_wstrPrinterName), Wide(kTwoPorts));
    EXPECT_EQ(Read(p.Get(), &IMxPrinter::get_boDefaultPrinter), VARIANT_FALSE);
}

}  // namespace
}  // namespace zunda::test
