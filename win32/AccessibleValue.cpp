#include "win32/AccessibleValue.h"

#include "app/ProgressPicture.h"
#include "win32/Text.h"

void AccessibleValue::show(HWND box, std::int16_t percent) {
    // The frames redraw the box many times a second; a reader hears of each new value once, and a box made anew
    // (at another density) is told its value again.
    if (!box || (percent == m_shown && box == m_box))
        return;
    m_shown = percent;
    m_box = box;
    const std::wstring value = Text::wide(ProgressPicture::of(percent).text);
    if (m_tell)
        m_tell(box, value);
    else
        tellSystem(box, value);
}

void AccessibleValue::tellSystem(HWND box, const std::wstring& value) {
    if (!m_asked) {
        m_asked = true;
        CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices, m_service.put());
    }
    if (!m_service)
        return;
    m_service->SetHwndPropStr(box, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_VALUE, value.c_str());
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, box, OBJID_CLIENT, CHILDID_SELF);
}
