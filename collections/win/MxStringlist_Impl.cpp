// MxStringlist: the automation string list. The list itself is the portable
// StringList; this class converts texts at the interface, reads and writes
// files and byte arrays, and fires OnChange after every change.
#include "collections/core/stringlist.h"
#include "collections/win/list_locale_win32.h"
#include "server/win/byte_variant.h"
#include "server/win/frame.h"
#include "server/win/win32_file.h"

namespace zunda {

class TMxStringlist final : public Object<TMxStringlist, IMxStringlist> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxStringlist, &IID_IMxStringlist, &DIID_IMxStringlistEvents,
                                     L"Zunda.MxStringlist", "MxStringlist", ErrorEvent::ProcedureMessage, true};

    STDMETHODIMP get_Strings(LONG Index, BSTR* Value) override {
        return Guarded("Get_Strings", Value, BSTR(nullptr), [&] { return Bstr::FromAnsi(list_.Get(Index)); });
    }
    STDMETHODIMP put_Strings(LONG Index, BSTR Value) override {
        return GuardedVoid("Set_Strings", [&] {
            list_.Set(Index, ToAnsi(Value));
            Changed();
        });
    }
    STDMETHODIMP get_Count(LONG* Value) override {
        return Get(Value, [&] { return static_cast<LONG>(list_.Count()); });
    }
    STDMETHODIMP get_Names(LONG Index, BSTR* Value) override {
        return Guarded("Get_Names", Value, BSTR(nullptr), [&] { return Bstr::FromAnsi(list_.Name(Index)); });
    }
    STDMETHODIMP get_Values(BSTR Name, BSTR* Value) override {
        return Guarded("Get_Values", Value, BSTR(nullptr), [&] { return Bstr::FromAnsi(list_.Value(ToAnsi(Name))); });
    }
    STDMETHODIMP put_Values(BSTR Name, BSTR Value) override {
        return GuardedVoid("Set_Values", [&] {
            if (list_.SetValue(ToAnsi(Name), ToAnsi(Value))) Changed();
        });
    }
    STDMETHODIMP Add(BSTR strText, LONG* Value) override {
        return Guarded("Add", Value, LONG(-99), [&] {
            LONG index = list_.Add(ToAnsi(strText));
            Changed();
            return index;
        });
    }
    STDMETHODIMP Clear() override {
        return Call([&] {
            if (list_.Clear()) Changed();
        });
    }
    STDMETHODIMP Delete(LONG Index) override {
        return GuardedVoid("Delete", [&] {
            list_.Delete(Index);
            Changed();
        });
    }
    STDMETHODIMP LoadFromFile(BSTR fiFilename, VARIANT_BOOL* Value) override {
        return Guarded("LoadFromFile", Value, VARIANT_BOOL(VARIANT_FALSE), [&] {
            // Read first: a file that cannot be read leaves the list as it was.
            std::vector<std::string> lines = core::SplitLines(ReadWholeFile(FileNameArg(fiFilename)));
            list_.Assign(std::move(lines));
            Changed();
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }
    STDMETHODIMP SaveToFile(BSTR fiFilename, VARIANT_BOOL* Value) override {
        return Guarded("SaveToFile", Value, VARIANT_BOOL(VARIANT_FALSE), [&] {
            WriteWholeFile(FileNameArg(fiFilename), list_.Text());
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }
    STDMETHODIMP Find(BSTR strText, LONG* iIndex, VARIANT_BOOL* Value) override {
        return Guarded("Find", Value, VARIANT_BOOL(VARIANT_FALSE), [&] {
            long index = 0;
            bool found = list_.Find(ToAnsi(strText), index);
            if (iIndex) *iIndex = index;
            return ToVariantBool(found);
        });
    }
    STDMETHODIMP IndexOf(BSTR strText, LONG* Value) override {
        return Guarded("IndexOf", Value, LONG(-99), [&] { return static_cast<LONG>(list_.IndexOf(ToAnsi(strText))); });
    }
    STDMETHODIMP Sort() override {
        return Call([&] {
            if (list_.Sort()) Changed();
        });
    }
    STDMETHODIMP SaveToVariant(VARIANT* vaVariant, VARIANT_BOOL* Value) override {
        return Guarded("SaveToVariant", Value, VARIANT_BOOL(VARIANT_FALSE), [&] {
            if (!vaVariant) throw Failure("No variant to save to.");
            SAFEARRAY* array = NewByteArray(list_.Text());
            // A by-reference variant receives the array where it points.
            VARIANT* target = vaVariant->vt == (VT_BYREF | VT_VARIANT) && vaVariant->pvarVal ? vaVariant->pvarVal
                                                                                           : vaVariant;
            VariantClear(target);
            target->vt = VT_ARRAY | VT_UI1;
            target->parray = array;
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }
    STDMETHODIMP LoadFromVariant(VARIANT vaVariant, VARIANT_BOOL* Value) override {
        return Guarded("LoadFromVariant", Value, VARIANT_BOOL(VARIANT_FALSE), [&] {
            std::vector<std::string> lines = core::SplitLines(BytesOfVariant(vaVariant));
            list_.Assign(std::move(lines));
            Changed();
            return VARIANT_BOOL(VARIANT_TRUE);
        });
    }

private:
    void Changed() { FireEvent(1, nullptr, 0); }

    core::StringList list_{SystemListLocale()};
};

ZUNDA_CLASS(TMxStringlist);

}  // namespace zunda
