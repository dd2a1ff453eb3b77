// Selecting messages in the main window: each selection parses the row's
// file and fills every page of the viewer, and the window (offscreen) is
// painted again. A 10 MB message with a base64 attachment; 5 KB messages one
// after another with the arrow key, in a list of 100 and of 50,000 rows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeView>
#include <cstdlib>
#include <memory>
#include <random>

#include "app/marrowbyform.h"
#include "foundation/base64enc.h"
#include "foundation/csvline.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "ui/widgettext.h"

namespace {

constexpr int kTypicalFiles = 100;

std::string Base64Lines(std::string_view bytes) {
    const std::string flat = Base64Encode(bytes);
    std::string out;
    out.reserve(flat.size() + flat.size() / 38 + 2);
    for (std::size_t i = 0; i < flat.size(); i += 76)
        out.append(flat, i, 76).append("\r\n");
    return out;
}

std::string Header(const std::string& subject, const char* contentType) {
    std::string header;
    for (int hop = 0; hop < 4; ++hop)
        header += "Received: from relay" + std::to_string(hop) + ".example.jp (relay" +
                  std::to_string(hop) + ".example.jp [192.0.2." + std::to_string(10 + hop) +
                  "])\r\n\tby mx.example.jp (Postfix) with ESMTP id 4F1A2B\r\n"
                  "\tfor <hanako@example.jp>; Mon, 5 Jul 2004 13:02:0" +
                  std::to_string(hop) + " +0900\r\n";
    return header +
           "From: =?ISO-2022-JP?B?GyRCOzNFREJATzobKEI=?= <taro@example.jp>\r\n"
           "To: hanako@example.jp,\r\n jiro@example.jp\r\nCc: saburo@example.jp\r\n"
           "Subject: " +
           subject + "\r\nDate: Mon, 5 Jul 2004 13:02:00 +0900\r\nMIME-Version: 1.0\r\n" +
           "Content-Type: " + contentType + "\r\n\r\n";
}

// About 5 KB: a Japanese text part and its HTML form.
std::string TypicalMessage(int n) {
    std::string text;
    for (int line = 0; text.size() < 1800; ++line)
        text += std::to_string(n) + "-" + std::to_string(line) +
                " 明日の会議の資料を送ります。ご確認ください。\r\n";
    return Header("report " + std::to_string(n), "multipart/alternative; boundary=\"alt\"") +
           "--alt\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + text +
           "--alt\r\nContent-Type: text/html; charset=UTF-8\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           Base64Lines("<html><body><pre>" + text + "</pre></body></html>") + "--alt--\r\n";
}

// About 10 MB: a short text and a base64 attachment of 7.6 MB.
std::string LargeMessage() {
    std::mt19937 random(7);
    std::string bytes(7'600'000, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return Header("large", "multipart/mixed; boundary=\"big\"") +
           "--big\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n資料を添付します。\r\n"
           "--big\r\nContent-Type: application/octet-stream; name=\"data.bin\"\r\n"
           "Content-Disposition: attachment; filename=\"data.bin\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           Base64Lines(bytes) + "--big--\r\n";
}

std::string IndexLine(int row, const std::string& file, std::size_t size) {
    // Newer rows first: the list is sorted by received date, descending.
    const TDateTime received = 45000.0 - row / 1440.0;
    const std::string date = DateTimeToStr(received);
    return CSVLineWrite({"uid" + std::to_string(row), file, std::to_string(size), "0",
                         "multipart/mixed", "report " + std::to_string(row), "", date, date, date,
                         "", ""});
}

// A shown main window on a folder of its own whose inbox has the given index
// lines; the message files are written by the caller.
class TWindow {
public:
    explicit TWindow(const std::function<std::vector<std::string>(const std::string&)>& fill) {
        const std::string folder = QStringToCp932(FDir.path()) + "/";
        TPop3AccountList list;
        SetupAccountList(list, folder);
        platform::ForceDirectories(list.BaseFolder);
        TPop3AccountItem* account = list.Add("taro", "u", "p", "h", 110, false, false);
        const std::string inbox = platform::IncludeTrailingSeparator(account->GetFolder());
        platform::ForceDirectories(inbox);
        account->Mailbox.LoadFromStrings(fill(inbox));
        if (!list.Save()) std::abort();
        Form = std::make_unique<TMarrowbyForm>(TAppOptions{folder, 0, false});
        Form->resize(1000, 700);
        Form->show();
        QApplication::processEvents();
    }
    int Rows() const { return Form->LVMessages->model()->rowCount(); }
    // One press of the arrow key, then what the event loop does before it waits.
    void KeyDown() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(Form->LVMessages, &press);
        Settle();
    }
    void Settle() {
        QApplication::processEvents();
        Form->AppIdle();
    }

    QTemporaryDir FDir;
    std::unique_ptr<TMarrowbyForm> Form;
};

void BM_SelectLargeMessage(benchmark::State& state) {
    const std::string text = LargeMessage();
    TWindow window([&](const std::string& inbox) {
        platform::WriteFile(inbox + "large.eml", text);
        return std::vector<std::string>{IndexLine(0, "large.eml", text.size())};
    });
    QTreeView* list = window.Form->LVMessages;
    for (auto _ : state) {
        state.PauseTiming();
        list->clearSelection();
        window.Settle();
        state.ResumeTiming();
        list->setCurrentIndex(list->model()->index(0, 0));
        window.Settle();
    }
    const TMultipartItem& root = window.Form->MultipartMessage1->GetRoot();
    if (window.Form->EditSubject->text() != "large" || root.GetCount() != 2 ||
        root.GetParts(1)->Stream.value_or("").size() != 7'600'000)
        state.SkipWithError("not shown whole");
    state.counters["message_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_SelectLargeMessage)->Unit(benchmark::kMillisecond)->UseRealTime();

// Rows point at kTypicalFiles different 5 KB files in turn.
void BM_ArrowDownTypical(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TWindow window([&](const std::string& inbox) {
        std::vector<std::string> files(kTypicalFiles);
        for (int i = 0; i < kTypicalFiles; ++i) {
            files[static_cast<std::size_t>(i)] = TypicalMessage(i);
            platform::WriteFile(inbox + std::to_string(i) + ".eml", files[i]);
        }
        std::vector<std::string> lines;
        for (int row = 0; row < rows; ++row)
            lines.push_back(IndexLine(row, std::to_string(row % kTypicalFiles) + ".eml",
                                      files[static_cast<std::size_t>(row % kTypicalFiles)].size()));
        return lines;
    });
    QTreeView* list = window.Form->LVMessages;
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    window.Settle();
    for (auto _ : state) {
        if (list->currentIndex().row() == window.Rows() - 1) {
            state.PauseTiming();
            list->setCurrentIndex(list->model()->index(0, 0));
            window.Settle();
            state.ResumeTiming();
        }
        window.KeyDown();
    }
    if (!window.Form->EditSubject->text().startsWith("report ")) state.SkipWithError("not shown");
    state.counters["rows"] = rows;
}
BENCHMARK(BM_ArrowDownTypical)->Arg(100)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QTemporaryDir home;
    const QByteArray config = home.filePath("config").toLocal8Bit();
    const QByteArray runtime = home.filePath("run").toLocal8Bit();
    QDir().mkpath(home.filePath("config"));
    QDir().mkpath(home.filePath("run"));
    QFile::setPermissions(home.filePath("run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_CONFIG_HOME", config.constData(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
