// The communication log on the page "通信ﾛｸﾞ"; without a window each line
// also goes to standard output as UTF-8.
//
// A check session's events log two or three lines each, thousands a cycle.
// The lines logged while a window message is handled are held: while a
// cycle runs they reach the view every LogDelayMs, otherwise when the
// message is done, and standard output gets them within LogDelayMs; a
// cycle's lines are all shown and written when it ends. Appended one by one,
// every line was laid out and every write woke the reader of standard
// output: that took nearly a third of the processor time of a cycle.
#include <QPlainTextEdit>
#include <QTimer>
#include <cstdio>

#include "app/marrowbyform.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "ui/widgettext.h"

namespace {

constexpr int LogDelayMs = 100;

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
    if (!FLogEchoText.empty()) LogLater();
}

void TMarrowbyForm::LogLater() {
    if (!FLogTimer) {
        FLogTimer = new QTimer(this);
        FLogTimer->setSingleShot(true);
        FLogTimer->setInterval(LogDelayMs);
        connect(FLogTimer, &QTimer::timeout, this, [this] {
            LogFlush();
            LogEchoFlush();
        });
    }
    if (!FLogTimer->isActive()) FLogTimer->start();
}

void TMarrowbyForm::LogEchoFlush() {
    if (FLogTimer) FLogTimer->stop();
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
