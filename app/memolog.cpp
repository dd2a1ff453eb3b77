// The communication log on the page "通信ﾛｸﾞ"; without a window each line
// also goes to standard output as UTF-8.
//
// Lines logged while a window message is handled (a check session's event
// logs two or three) are held and appended together when it is done: the
// text view lays out a block appended alone at once, while several appended
// in one step wait until they are shown. Standard output is written at most
// every EchoDelayMs and at the end of each cycle: a write per line woke its
// reader, and the gateway waited for the processor, thousands of times a
// cycle.
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>

#include "app/marrowbyform.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "ui/widgettext.h"

namespace {

constexpr int EchoDelayMs = 100;

} // namespace

void TMarrowbyForm::LogAppend(const std::string& line) {
    FLogPending.append(Cp932ToQString(line));
    if (FLogEcho) FLogEchoText.append(platform::Cp932ToUtf8(line)).append("\n");
    if (FLogHeld == 0) LogFlush();
}

void TMarrowbyForm::LogFlush() {
    if (!FLogPending.isEmpty()) {
        MemoLog->appendPlainText(FLogPending.join(QChar(0x0a)));
        FLogPending.clear();
    }
    if (FLogEchoText.empty()) return;
    if (!FLogEchoTimer) {
        FLogEchoTimer = new QTimer(this);
        FLogEchoTimer->setSingleShot(true);
        FLogEchoTimer->setInterval(EchoDelayMs);
        connect(FLogEchoTimer, &QTimer::timeout, this, &TMarrowbyForm::LogEchoFlush);
    }
    if (!FLogEchoTimer->isActive()) FLogEchoTimer->start();
}

void TMarrowbyForm::LogEchoFlush() {
    if (FLogEchoTimer) FLogEchoTimer->stop();
    if (FLogEchoText.empty()) return;
    std::fwrite(FLogEchoText.data(), 1, FLogEchoText.size(), stdout);
    std::fflush(stdout);
    FLogEchoText.clear();
}

void TMarrowbyForm::LogClear() {
    LogFlush();
    MemoLog->clear();
}

void TMarrowbyForm::LogTime() {
    const TDateTimeFields now = DecodeDateTime(Now());
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.Hour, now.Minute, now.Second);
    LogAppend(text);
}
