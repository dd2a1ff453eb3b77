#pragma once
// The main window as a target of posted window messages: worker threads
// post through platform::PostWindowMessage, and each message becomes an event
// handled on the window's thread in arrival order. Once detached (the form
// is going away) posts are refused and their data freed.
#include <mutex>

#include "platform/messages.h"

class QObject;

class TFormWindow : public platform::TMessageWindow {
public:
    explicit TFormWindow(QObject* form) : FForm(form) {}
    bool Post(platform::TMessage message) override;
    void Detach();

private:
    std::mutex FMutex;
    QObject* FForm;
};
