// MxFileList: an ordered list of MxFileRecord objects, gathered at once in
// the calling thread or on one worker, with a ready flag and a wait that
// pumps the caller's messages. The worker gathers with its own references
// to the records, so changing the list meanwhile frees nothing under it,
// and only the latest gathering sets the flag.
#include "files/core/file_record.h"
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "server/win/record_list.h"
#include "server/win/worker.h"

#include <vector>

namespace zunda {

class TMxFileList final : public Object<TMxFileList, IMxFileList> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxFileList, &IID_IMxFileList, &DIID_IMxEvents, L"Zunda.MxFileList",
                                     "MxFileList", ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP get_fiFiles(long index, TFilename* out) override {
        return Failing("Get_fiFiles", out, [&] {
            Bstr name;
            Check(entries_.Peek(index)->get_fiFilename(name.Put()));
            return name;
        });
    }
    STDMETHODIMP put_fiFiles(long index, TFilename name) override {
        return FailingVoid("Set_fiFiles", [&] {
            VARIANT_BOOL found = VARIANT_FALSE;
            Check(entries_.Peek(index)->SetFilename(name, VARIANT_FALSE, VARIANT_FALSE, &found));
        });
    }
    STDMETHODIMP get_iCount(long* out) override {
        return Get(out, [&] { return entries_.Count(); });
    }
    STDMETHODIMP get_clFileRecord(long index, IMxFileRecord** out) override {
        return Failing("Get_clFileRecord", out, [&] { return entries_.At(index); });
    }
    STDMETHODIMP put_clFileRecord(long index, IMxFileRecord* record) override {
        return FailingVoid("Set_clFileRecord", [&] {
            NeedRecord(record);
            entries_.Replace(index, ComPtr<IMxFileRecord>(record));
        });
    }
    STDMETHODIMP get_boThreadReady(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(Ready()); });
    }

    STDMETHODIMP Add(TFilename name, VARIANT_BOOL getInfo, VARIANT_BOOL thread, long* out) override {
        return Failing("Add", out, [&] {
            ComPtr<IMxFileRecord> record = NewRecord();
            VARIANT_BOOL found = VARIANT_FALSE;
            // The record is listed whether or not its file exists.
            Check(record->SetFilename(name, getInfo, thread, &found));
            entries_.Add(record);
            return entries_.Count() - 1;
        });
    }
    STDMETHODIMP AddEx(IMxFileRecord* record) override {
        return FailingVoid("AddEx", [&] {
            NeedRecord(record);
            entries_.Add(ComPtr<IMxFileRecord>(record));
        });
    }
    STDMETHODIMP Clear() override {
        return FailingVoid("Clear", [&] { entries_.Clear(); });
    }
    STDMETHODIMP Delete(long index) override {
        return FailingVoid("Delete", [&] { entries_.Remove(index); });
    }
    STDMETHODIMP DeleteEx(TFilename name) override {
        return FailingVoid("DeleteEx", [&] {
            const long index = Find(ToAnsi(name));
            if (index < 0) throw Failure("File \"" + ToAnsi(name) + "\" is not in the list.");
            entries_.Remove(index);
        });
    }
    STDMETHODIMP Find(TFilename name, long* index, VARIANT_BOOL* out) override {
        if (!index) return E_POINTER;
        return Failing("Find", out, [&] {
            *index = Find(ToAnsi(name));
            return ToVariantBool(*index != -1);
        });
    }
    STDMETHODIMP IndexOf(TFilename name, long* out) override {
        return Failing("IndexOf", out, [&] { return Find(ToAnsi(name)); });
    }

    STDMETHODIMP GetAllFileInfos(VARIANT_BOOL thread) override {
        return FailingVoid("GetAllFileInfos", [&] {
            unsigned long generation;
            {
                ScopedLock hold(lock_);
                generation = ++generation_;
                ready_ = false;
            }
            std::vector<ComPtr<IMxFileRecord>> records(entries_.begin(), entries_.end());
            auto gather = [this, records, generation] {
                for (const ComPtr<IMxFileRecord>& r : records) {
                    if (Superseded(generation)) return;  // a newer gathering took over
                    r->GetFileInfo(VARIANT_FALSE);
                }
                ScopedLock hold(lock_);
                if (generation == generation_) ready_ = true;
            };
            if (thread && StartWorker(static_cast<IMxFileList*>(this), gather)) return;
            gather();  // in the calling thread, also when no thread could be started
        });
    }

    STDMETHODIMP Waitfor(long timeout, VARIANT_BOOL* out) override {
        return Get(out, [&] {
            return ToVariantBool(WaitPumping(core::WaitStepLimit(timeout), [this] { return Ready(); }));
        });
    }

private:
    // A failure of this list: a failure HRESULT with error information, and
    // "[member]: message" as the last error, whatever boRaiseErrors says.
    template <class T, class F>
    HRESULT Failing(const char* member, T* out, F&& work) {
        if (!out) return E_POINTER;
        *out = T{};
        return Call([&] {
            try {
                *out = work();
            } catch (const Failure& e) {
                Errors().lastError = "[" + std::string(member) + "]: " + e.what();
                throw;
            }
        });
    }
    template <class F>
    HRESULT FailingVoid(const char* member, F&& work) {
        int ignored = 0;
        return Failing(member, &ignored, [&] {
            work();
            return 0;
        });
    }

    static void NeedRecord(IMxFileRecord* record) {
        if (!record) throw ComError(E_POINTER, "No file record given.");
    }

    long Find(const std::string& name) {
        const std::string wanted = Upper(name);
        long index = 0;
        for (const ComPtr<IMxFileRecord>& r : entries_) {
            Bstr own;
            Check(r->get_fiFilename(own.Put()));
            if (Upper(own.Ansi()) == wanted) return index;
            ++index;
        }
        return -1;
    }
    static std::string Upper(std::string text) {
        if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }

    // Records come from the file record class; its factory is kept for the next one.
    ComPtr<IMxFileRecord> NewRecord() {
        if (!factory_)
            Check(CoGetClassObject(CLSID_MxFileRecord, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                   reinterpret_cast<void**>(factory_.Put())));
        ComPtr<IMxFileRecord> record;
        Check(factory_->CreateInstance(nullptr, IID_IMxFileRecord, reinterpret_cast<void**>(record.Put())));
        return record;
    }

    bool Ready() {
        ScopedLock hold(lock_);
        return ready_;
    }
    bool Superseded(unsigned long generation) {
        ScopedLock hold(lock_);
        return generation != generation_;
    }

    RecordList<IMxFileRecord> entries_;
    ComPtr<IClassFactory> factory_;
    CriticalSection lock_;
    bool ready_ = false;
    unsigned long generation_ = 0;
};

ZUNDA_CLASS(TMxFileList);

}  // namespace zunda
