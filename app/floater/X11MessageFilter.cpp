#include "X11MessageFilter.h"

#include "TQ7FloaterFrmOrvana.h"
#include "platform/x11/X11Desktop.h"

namespace floater {

bool X11MessageFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto decoded = platform::X11Desktop::decodeClientMessage(message);
    if (!decoded || decoded->target != floater_->nativeWindow())
        return false;
    const auto& m = floater_->messages();
    if (decoded->id != m.setActivePersonnr && decoded->id != m.setActivePatient &&
        decoded->id != m.setActiveBildflik && decoded->id != m.setActiveFlik)
        return false; // window-manager messages stay with Qt
    floater_->DefaultHandler(*decoded);
    return true;
}

} // namespace floater
