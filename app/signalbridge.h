#pragma once
// SIGUSR1, SIGTERM and SIGINT as Qt signals on the main thread. The signal
// handler only writes the signal's number into a pipe; a socket notifier
// reads it in the event loop. Install the handlers first thing in main(), so
// a signal that comes during start-up waits in the pipe.
#include <QObject>

class QSocketNotifier;

class TSignalBridge : public QObject {
    Q_OBJECT
public:
    // False (with errno) when the pipe or a handler cannot be set up.
    static bool Install();
    explicit TSignalBridge(QObject* parent = nullptr);

signals:
    void CheckRequested(); // SIGUSR1
    void CloseRequested(); // SIGTERM, SIGINT

private:
    void Drain();
    QSocketNotifier* FNotifier;
};
