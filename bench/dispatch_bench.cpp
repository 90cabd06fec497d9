// Cost of one late-bound call into the library from a C++ client:
// GetIDsOfNames once, then IDispatch::Invoke of MxStrUtils.StrLeft in a loop,
// against the same loop on the system's own Scripting.Dictionary (Exists).
// StrLastPos shows a member whose character parameter the object converts itself.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstdio>

namespace {

IDispatch* Create(const wchar_t* progId) {
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(progId, &clsid))) return nullptr;
    IDispatch* d = nullptr;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d))))
        return nullptr;
    return d;
}

double Seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Calls per second of `name` with `args` (last argument first), over at least one second.
double CallsPerSecond(IDispatch* d, const wchar_t* name, VARIANTARG* args, UINT count) {
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    if (FAILED(d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id))) return 0;
    DISPPARAMS dp = {args, nullptr, count, 0};
    long calls = 0;
    const double start = Seconds();
    double elapsed = 0;
    do {
        for (int i = 0; i < 1000; ++i) {
            VARIANT result;
            VariantInit(&result);
            if (FAILED(d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &dp, &result, nullptr, nullptr)))
                return 0;
            VariantClear(&result);
        }
        calls += 1000;
        elapsed = Seconds() - start;
    } while (elapsed < 1.0);
    return static_cast<double>(calls) / elapsed;
}

}  // namespace

int main() {
    if (FAILED(CoInitialize(nullptr))) return 2;
    int rc = 0;
    IDispatch* str = Create(L"Zunda.MxStrUtils");
    IDispatch* dict = Create(L"Scripting.Dictionary");
    if (!str || !dict) {
        std::printf("cannot create %s\n", !str ? "Zunda.MxStrUtils (registered?)" : "Scripting.Dictionary");
        rc = 1;
    } else {
        VARIANTARG left[2];  // StrLeft("abcdefgh", 3), last argument first
        left[0].vt = VT_I4;
        left[0].lVal = 3;
        left[1].vt = VT_BSTR;
        left[1].bstrVal = SysAllocString(L"abcdefgh");
        VARIANTARG key[1];
        key[0].vt = VT_BSTR;
        key[0].bstrVal = SysAllocString(L"abcdefgh");
        VARIANTARG lastPos[2];  // StrLastPos("\\", "C:\\dir\\file"): a character-pointer parameter
        lastPos[0].vt = VT_BSTR;
        lastPos[0].bstrVal = SysAllocString(L"C:\\dir\\file");
        lastPos[1].vt = VT_BSTR;
        lastPos[1].bstrVal = SysAllocString(L"\\");
        const double zunda = CallsPerSecond(str, L"StrLeft", left, 2);
        const double chars = CallsPerSecond(str, L"StrLastPos", lastPos, 2);
        const double system = CallsPerSecond(dict, L"Exists", key, 1);
        std::printf("late-bound calls per second (GetIDsOfNames once, then Invoke in a loop)\n");
        std::printf("  Zunda.MxStrUtils.StrLeft       %12.0f\n", zunda);
        std::printf("  Zunda.MxStrUtils.StrLastPos    %12.0f   (character parameter, converted by the object)\n", chars);
        std::printf("  Scripting.Dictionary.Exists    %12.0f   (baseline)\n", system);
        if (zunda > 0 && system > 0)
            std::printf("  ratio StrLeft / Exists         %12.2f\n  ratio StrLastPos / Exists      %12.2f\n",
                        zunda / system, chars / system);
        else
            rc = 1;
        VariantClear(&left[1]);
        VariantClear(&key[0]);
        VariantClear(&lastPos[0]);
        VariantClear(&lastPos[1]);
    }
    if (str) str->Release();
    if (dict) dict->Release();
    CoUninitialize();
    return rc;
}
