#pragma once
// A numbered window message as a Qt event: posted from any thread with
// QCoreApplication::postEvent, handled on the window's thread one at a time
// in arrival order. The data block travels with the event.
#include <QEvent>
#include <cstdint>
#include <vector>

class TWindowMessageEvent : public QEvent {
public:
    static QEvent::Type EventType();

    TWindowMessageEvent(std::uint32_t msg, std::intptr_t wparam, std::intptr_t lparam = 0,
                        std::vector<unsigned char> data = {})
        : QEvent(EventType()), Msg(msg), WParam(wparam), LParam(lparam), Data(std::move(data)) {}

    std::uint32_t Msg;
    std::intptr_t WParam;
    std::intptr_t LParam;
    std::vector<unsigned char> Data;
};
