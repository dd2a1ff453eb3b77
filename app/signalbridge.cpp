#include "app/signalbridge.h"

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int Pipe[2] = {-1, -1};

void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    [[maybe_unused]] ssize_t written = write(Pipe[1], &number, 1);
    errno = saved;
}

} // namespace

bool TSignalBridge::Install() {
    if (Pipe[0] >= 0) return true;
    if (pipe2(Pipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGUSR1, SIGTERM, SIGINT})
        if (sigaction(signal, &action, nullptr) != 0) return false;
    return true;
}

TSignalBridge::TSignalBridge(QObject* parent)
    : QObject(parent), FNotifier(new QSocketNotifier(Pipe[0], QSocketNotifier::Read, this)) {
    connect(FNotifier, &QSocketNotifier::activated, this, &TSignalBridge::Drain);
}

void TSignalBridge::Drain() {
    unsigned char number = 0;
    while (read(Pipe[0], &number, 1) == 1) {
        if (number == SIGUSR1)
            emit CheckRequested();
        else
            emit CloseRequested();
    }
}
