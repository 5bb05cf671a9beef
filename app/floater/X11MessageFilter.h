#pragma once
// Hands the registered messages that arrive at the floater's X11 window to
// its DefaultHandler.

#include <QAbstractNativeEventFilter>

namespace floater {

class TQ7FloaterFrmOrvana;

class X11MessageFilter : public QAbstractNativeEventFilter {
public:
    explicit X11MessageFilter(TQ7FloaterFrmOrvana* floater) : floater_(floater) {}
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    TQ7FloaterFrmOrvana* floater_;
};

} // namespace floater
