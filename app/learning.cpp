// The learning filter of the main window: its database in the program folder,
// its settings, and the reports of what went wrong with it.
#include <QLabel>
#include <QTimer>

#include "app/marrowbyform.h"
#include "learn/learnfilter.h"
#include "ui/widgettext.h"

void TMarrowbyForm::OpenLearnFilter() {
    LearnFilter1->Open(FOptions.ProgramFolder);
    ApplyLearnSettings();
    ReportLearning(true);
    ShowLearnCounts();
}

void TMarrowbyForm::ShowLearnCounts() {
    std::optional<TTokenCounts> counts = LearnFilter1->MessageCounts();
    if (!counts) {
        LabelLearnCounts->setText(QString::fromUtf8("学習ﾃﾞｰﾀﾍﾞｰｽを開けません"));
        return;
    }
    QString text = QString::fromUtf8("学習済み: 迷惑ﾒｰﾙ %1 通、迷惑ﾒｰﾙではない %2 通")
                       .arg(counts->Spam)
                       .arg(counts->Ham);
    if (!LearnFilter1->Trained())
        text += QString::fromUtf8(" (それぞれ %1 通を学習すると判定を始めます)")
                    .arg(TLearnFilter::MinMessages);
    LabelLearnCounts->setText(text);
}

void TMarrowbyForm::ApplyLearnSettings() {
    LearnFilter1->Settings.Enabled = FLearnEnable;
    LearnFilter1->Settings.SpamThreshold = FLearnSpam / 100.0;
    LearnFilter1->Settings.UnsureThreshold = FLearnUnsure / 100.0;
}

// A damaged database was set aside, or one could not be opened or written:
// the mail goes on without the learning step, and the user is told.
void TMarrowbyForm::ReportLearning(bool box) {
    std::string text;
    for (const std::string& report : LearnFilter1->TakeReports()) {
        LogAppend(report);
        text += (text.empty() ? "" : "\r\n") + report;
    }
    if (box && !text.empty()) QTimer::singleShot(0, this, [this, text] { ReportError(text); });
}
