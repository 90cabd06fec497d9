// MxBaseInterface: the creatable carrier of the two base properties. It has
// no members that can fail and therefore no error routine of its own.
#include "server/win/frame.h"

namespace zunda {

class TMxBaseInterface final : public Object<TMxBaseInterface, IMxBaseInterface> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxBaseInterface, &IID_IMxBaseInterface, nullptr,
                                     L"Zunda.MxBaseInterface", nullptr, ErrorEvent::None, false};
};

ZUNDA_CLASS(TMxBaseInterface);

}  // namespace zunda
