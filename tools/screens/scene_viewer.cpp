// The message viewer with a Japanese multipart message selected: an
// ISO-2022-JP text with its HTML form and a base64 PNG whose name is
// Shift_JIS. Pictures of the body, the information and the attachment pages.
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <cstdio>
#include <string>
#include <vector>

#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "foundation/base64enc.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tests/support/jistext.h"
#include "tools/screens/screens.h"
#include "ui/widgettext.h"

namespace {

std::string Word(const char* charset, const std::string& bytes) {
    return std::string("=?") + charset + "?B?" + Base64Encode(bytes) + "?=";
}

std::string JisWord(const std::string& utf8) {
    return Word("ISO-2022-JP", jistext::Jis(utf8));
}

std::string JisBody(const std::vector<std::string>& lines) {
    std::string body;
    for (const std::string& line : lines)
        body += jistext::Jis(line) + "\r\n";
    return body;
}

std::string Base64Lines(const QByteArray& bytes) {
    const std::string flat = Base64Encode(std::string_view(bytes.constData(), bytes.size()));
    std::string out;
    for (std::size_t i = 0; i < flat.size(); i += 76)
        out.append(flat, i, 76).append("\r\n");
    return out;
}

// A small bar chart, as the attachment of the meeting mail.
QByteArray ChartPng() {
    QImage image(160, 100, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int heights[] = {40, 65, 52, 80};
    for (int i = 0; i < 4; ++i)
        painter.fillRect(20 + i * 35, 90 - heights[i], 25, heights[i], QColor(0x30, 0x70, 0xc0));
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

// Sent at day (a date without its time) and time; the two hops follow within seconds.
std::string Header(const std::string& from, const std::string& subject, const std::string& day,
                   int hour, int minute) {
    auto at = [&](int second) {
        char time[16];
        std::snprintf(time, sizeof time, " %02d:%02d:%02d +0900", hour, minute, second);
        return day + time;
    };
    return "Received: from relay.example.net (relay.example.net [203.0.113.25])\r\n"
           "\tby mx.example.jp (Postfix) with ESMTP id 7C2D1;\r\n\t" +
           at(45) +
           "\r\n"
           "Received: from pc-yamada (dhcp-14.example.co.jp [198.51.100.14])\r\n"
           "\tby relay.example.net with ESMTP; " +
           at(42) + "\r\nFrom: " + from + "\r\nTo: taro@example.jp\r\n" +
           "Subject: " + JisWord(subject) + "\r\nDate: " + at(40) + "\r\nMIME-Version: 1.0\r\n";
}

std::string MeetingMail() {
    const std::string name = Word("Shift_JIS", Sjis("売上グラフ.png"));
    return Header(JisWord("山田 太郎") + " <yamada@example.co.jp>", "会議の資料について",
                  "Thu, 10 Dec 2026", 9, 12) +
           "Cc: " + JisWord("佐藤 花子") +
           " <sato@example.co.jp>\r\n"
           "Content-Type: multipart/mixed; boundary=\"mix\"\r\n\r\n"
           "--mix\r\nContent-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n"
           "--alt\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
           "Content-Transfer-Encoding: 7bit\r\n\r\n" +
           JisBody({"鈴木様", "", "お疲れさまです。山田です。",
                    "明日の営業会議の資料をお送りします。",
                    "今期の売上をグラフにまとめましたので、添付ファイルをご覧ください。", "",
                    "よろしくお願いいたします。", "", "山田 太郎"}) +
           "--alt\r\nContent-Type: text/html; charset=ISO-2022-JP\r\n\r\n" +
           JisBody({"<html><body><p>鈴木様</p><p>明日の営業会議の資料をお送りします。</p>"
                    "</body></html>"}) +
           "--alt--\r\n\r\n--mix\r\nContent-Type: image/png; name=\"" + name +
           "\"\r\nContent-Transfer-Encoding: base64\r\n"
           "Content-Disposition: attachment; filename=\"" +
           name + "\"\r\n\r\n" + Base64Lines(ChartPng()) + "--mix--\r\n";
}

std::string PlainMail(const char* from, const char* subject, const char* day, int hour,
                      const std::vector<std::string>& body) {
    return Header(from, subject, day, hour, 5) +
           "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" + JisBody(body);
}

// Stores each message in the account's inbox as the gateway does.
void Store(TPop3AccountItem& account, const std::vector<std::string>& mails) {
    const std::string folder = platform::IncludeTrailingSeparator(account.GetFolder());
    platform::ForceDirectories(folder);
    for (const std::string& text : mails) {
        TMultipartMessage message;
        message.Create(text);
        message.SetPath(TMessageBox::MakeMessagePath(folder, message.Subject));
        platform::WriteFile(message.Path, text, 0600);
        account.Mailbox.Add(message, message.GetReceived(0).Date, {});
    }
}

void Fill(const std::string& programFolder) {
    TPop3AccountList list;
    SetupAccountList(list, programFolder);
    platform::ForceDirectories(list.BaseFolder);
    Store(*list.Add("work", "taro", "p", "pop.example.co.jp", 110, false, false),
          {MeetingMail(),
           PlainMail("tanaka@example.co.jp", "来週の出張の件", "Wed, 9 Dec 2026", 17,
                     {"出張の日程が決まりました。"}),
           PlainMail("\"Suzuki\" <suzuki@example.co.jp>", "Re: 見積書のご送付", "Tue, 8 Dec 2026",
                     11, {"見積書を受け取りました。"})});
    Store(*list.Add("home", "taro", "p", "pop.example.jp", 110, false, false),
          {PlainMail("hanako@example.jp", "週末の予定", "Wed, 9 Dec 2026", 21,
                     {"土曜日は晴れるそうです。"}),
           PlainMail("news@example.net", "12月のお知らせ", "Mon, 7 Dec 2026", 8,
                     {"今月のお知らせです。"})});
    (void)list.Save();
}

void SelectRow(TMarrowbyForm& form, const char* subject) {
    auto* rows = static_cast<TMessageListModel*>(form.LVMessages->model());
    for (int row = 0; row < rows->rowCount(); ++row)
        if (rows->Entry(row)->Subject == Sjis(subject))
            form.LVMessages->setCurrentIndex(rows->index(row, 0));
}

void ChoosePart(TMarrowbyForm& form, const char* mimeType) {
    const auto found = form.TVMultipart->findItems(mimeType, Qt::MatchExactly | Qt::MatchRecursive);
    if (!found.isEmpty()) form.TVMultipart->setCurrentItem(found.front());
}

} // namespace

MARROWBY_SCENE(viewer) {
    Fill(context.Folder);
    TMarrowbyForm form(TAppOptions{context.Folder, 0, false});
    form.resize(1000, 700);
    form.show();
    SelectRow(form, "会議の資料について");
    ChoosePart(form, "text/plain");
    form.PageControl2->setCurrentIndex(0);
    form.AppIdle();
    context.Save(form, "viewer.png");
    form.PageControl2->setCurrentIndex(2);
    context.Save(form, "viewer-info.png");
    ChoosePart(form, "image/png");
    form.PageControl2->setCurrentIndex(6);
    form.AppIdle();
    context.Save(form, "viewer-attach.png");
}
