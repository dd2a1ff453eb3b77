// The README's quick start: the settings page, and the first check of an
// account (the communication log and the inbox) against a small POP3 server
// on 127.0.0.1 that holds two messages. The close question shows Qt's
// standard buttons in Japanese, with the translation loaded as at start.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QThread>
#include <QTranslator>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/apptexts.h"
#include "app/marrowbyform.h"
#include "app/qttranslation.h"
#include "app/shutdown.h"
#include "platform/file.h"
#include "platform/listener.h"
#include "tools/screens/screens.h"
#include "ui/widgettext.h"

namespace {

// Two messages as a remote server keeps them (CR LF, not yet dot-stuffed).
const std::vector<std::string> Mail = {
    "From: tanaka@example.com\r\nTo: taro@example.com\r\n"
    "Subject: =?iso-2022-jp?b?GyRCMnE1RCROO3FOQSRyJCpBdyRqJDckXiQ5GyhC?=\r\n"
    "Date: Thu, 10 Dec 2026 09:12:40 +0900\r\nMessage-ID: <1@example.com>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\n"
    "GyRCRTpJVSROO3FOQSRyJDQzTkcnJC8kQCQ1JCQhIxsoQgoKGyRCRURDZhsoQg==\r\n",
    "From: sato@example.net\r\nTo: taro@example.com\r\n"
    "Subject: =?iso-2022-jp?b?GyRCPTVLdiROTT1EaiRLJEQkJCRGGyhC?=\r\n"
    "Date: Thu, 10 Dec 2026 10:03:05 +0900\r\nMessage-ID: <2@example.net>\r\n"
    "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
    "Content-Transfer-Encoding: base64\r\n\r\n"
    "GyRCRVpNS0Z8JE44YThlJE8kJCQrJCwkRyQ5JCshIxsoQgoKGyRCOjRGIxsoQg==\r\n",
};

std::string ReadLine(platform::TSocket& socket) {
    std::string line;
    char c = 0;
    while (socket.Read(&c, 1) == 1 && c != '\n')
        if (c != '\r') line += c;
    return line;
}

// The answer to one client command; empty after QUIT.
std::string Answer(const std::string& line) {
    const std::string command = line.substr(0, 4);
    const std::size_t n =
        std::strtoul(line.c_str() + std::min<std::size_t>(line.size(), 4), nullptr, 10);
    const bool numbered =
        command == "UIDL" || command == "LIST" || command == "RETR" || command == "DELE";
    if (numbered && (n < 1 || n > Mail.size())) return "-ERR no such message";
    if (command == "STAT") return "+OK 2 " + std::to_string(Mail[0].size() + Mail[1].size());
    if (command == "UIDL") return "+OK " + std::to_string(n) + " m" + std::to_string(n);
    if (command == "LIST")
        return "+OK " + std::to_string(n) + " " + std::to_string(Mail[n - 1].size());
    if (command == "RETR") return "+OK\r\n" + Mail[n - 1] + ".";
    if (command == "QUIT") return {};
    return "+OK";
}

// Serves each accepted client the two messages until it quits.
std::unique_ptr<platform::TListener> StartServer() {
    auto server = std::make_unique<platform::TListener>([](std::unique_ptr<platform::TSocket> s) {
        try {
            std::string reply = "+OK POP3 server ready <1.1@example.com>";
            while (!reply.empty()) {
                reply += "\r\n";
                s->Write(reply.data(), reply.size());
                reply = Answer(ReadLine(*s));
            }
            s->Write("+OK bye\r\n", 9);
        } catch (const std::exception&) {
        }
    });
    server->Open("127.0.0.1", 0);
    return server;
}

bool CycleEnded(const TMarrowbyForm& form) {
    const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d$", QRegularExpression::MultilineOption);
    return form.MemoLog->toPlainText().count(time) >= 2;
}

} // namespace

MARROWBY_SCENE(quickstart) {
    const auto server = StartServer();
    platform::ForceDirectories(context.Folder + "Msgbox/mbx.home");
    platform::WriteFile(context.Folder + "Msgbox/accounts.dat",
                        "home,taro,secret,127.0.0.1," + std::to_string(server->GetPort()) +
                            ",0,0\r\n");
    TMarrowbyForm form(TAppOptions{context.Folder, 0, false});
    form.resize(1000, 700);
    form.PageControl1->setCurrentWidget(form.TabSetup);
    context.Save(form, "quickstart-settings.png");

    form.ButtonExecClick();
    QElapsedTimer timer;
    timer.start();
    while (!CycleEnded(form) && timer.elapsed() < 10000) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
    form.PageControl1->setCurrentWidget(form.TabLog);
    context.Save(form, "quickstart-log.png");
    form.PageControl1->setCurrentWidget(form.TabMessages);
    context.Save(form, "quickstart-inbox.png");
}

MARROWBY_SCENE(closequestion) {
    const std::unique_ptr<QTranslator> translator(InstallQtTranslation(*qApp));
    const QString text =
        Cp932ToQString(CloseQuestionText(TCloseReason::Working)).replace("\r\n", "\n");
    QMessageBox box(QMessageBox::Information, apptext::ApplicationTitle, text,
                    QMessageBox::Yes | QMessageBox::No);
    context.Save(box, "closequestion.png");
}
