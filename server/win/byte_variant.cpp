#include "server/win/byte_variant.h"

#include "server/core/failure.h"

#include <cstring>
#include <new>

namespace zunda {

std::string BytesOfVariant(const VARIANT& value) {
    const VARIANT* v = &value;
    if (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal) v = v->pvarVal;
    SAFEARRAY* array = nullptr;
    if (v->vt == (VT_ARRAY | VT_UI1))
        array = v->parray;
    else if (v->vt == (VT_BYREF | VT_ARRAY | VT_UI1))
        array = v->pparray ? *v->pparray : nullptr;
    else
        throw Failure("The variant is not an array of bytes.");
    if (!array) return std::string();
    if (SafeArrayGetDim(array) != 1) throw Failure("The variant is not a one-dimensional array of bytes.");
    void* data = nullptr;
    Check(SafeArrayAccessData(array, &data));
    std::string out(static_cast<const char*>(data), array->rgsabound[0].cElements);
    SafeArrayUnaccessData(array);
    return out;
}

SAFEARRAY* NewByteArray(std::string_view bytes) {
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
    if (!array) throw std::bad_alloc();
    if (!bytes.empty()) {
        void* data = nullptr;
        HRESULT hr = SafeArrayAccessData(array, &data);
        if (FAILED(hr)) {
            SafeArrayDestroy(array);
            Check(hr);
        }
        std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    return array;
}

}  // namespace zunda
