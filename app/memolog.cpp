// The communication log on the page "通信ﾛｸﾞ"; without a window each line
// also goes to standard output as UTF-8, flushed at once.
#include <QPlainTextEdit>
#include <cstdio>

#include "app/marrowbyform.h"
#include "platform/datetime.h"
#include "platform/text.h"
#include "ui/widgettext.h"

void TMarrowbyForm::LogAppend(const std::string& line) {
    MemoLog->appendPlainText(Cp932ToQString(line));
    if (!FLogEcho) return;
    const std::string text = platform::Cp932ToUtf8(line) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void TMarrowbyForm::LogClear() {
    MemoLog->clear();
}

void TMarrowbyForm::LogTime() {
    const TDateTimeFields now = DecodeDateTime(Now());
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", now.Hour, now.Minute, now.Second);
    LogAppend(text);
}
