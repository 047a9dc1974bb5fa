#include "win32/AccessibleValue.h"

#include "app/ProgressPicture.h"
#include "win32/Text.h"

#include <utility>

AccessibleValue::AccessibleValue(System system) : m_system(std::move(system)) {
    if (!m_system.service) {
        m_system.service = []() -> IAccPropServices* {
            ComPtr<IAccPropServices> service;
            if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                        service.put())))
                return nullptr;
            return service.release();
        };
    }
    if (!m_system.announce)
        m_system.announce = [](DWORD event, HWND hwnd, LONG object, LONG child) {
            NotifyWinEvent(event, hwnd, object, child);
        };
}

void AccessibleValue::show(HWND box, std::int16_t percent) {
    // The frames redraw the box many times a second; a reader hears of each new value once, and a box made anew
    // (at another density) is told its value again.
    if (!box || (percent == m_shown && box == m_box))
        return;
    if (!m_asked) {
        m_service.adopt(m_system.service());
        m_asked = true;
    }
    if (!m_service)
        return;
    m_shown = percent;
    m_box = box;
    m_service->SetHwndPropStr(box, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_VALUE,
                              Text::wide(ProgressPicture::of(percent).text).c_str());
    m_system.announce(EVENT_OBJECT_VALUECHANGE, box, OBJID_CLIENT, CHILDID_SELF);
}
