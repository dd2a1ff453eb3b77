#include "receivecorpus.h"

#include "dovecot_fixture.h"

namespace {

std::string Base64(const std::string& data) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        unsigned v = static_cast<unsigned char>(data[i]) << 16;
        if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
        if (i + 2 < data.size()) v |= static_cast<unsigned char>(data[i + 2]);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < data.size() ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < data.size() ? digits[v & 63] : '=';
        if (out.size() % 78 == 76) out += "\r\n";
    }
    return out + "\r\n";
}

std::string Binary(std::size_t size, unsigned seed) {
    std::string data(size, '\0');
    for (auto& c : data) {
        seed = seed * 1103515245 + 12345;
        c = static_cast<char>(seed >> 16);
    }
    return data;
}

std::string Head(int n, const std::string& subject, const std::string& extra = {}) {
    return "Received: from mx" + std::to_string(n) + ".example.net ([192.0.2." +
           std::to_string(n % 250 + 1) +
           "]) by mail.example.org; Tue, 1 Dec 2026 10:00:00 +0900\r\n"
           "From: sender" +
           std::to_string(n) + "@example.com\r\nTo: user@example.org\r\nSubject: " + subject +
           "\r\nDate: Tue, 1 Dec 2026 09:59:" + std::to_string(10 + n % 50) +
           " +0900\r\nMessage-ID: <" + std::to_string(n) + "@example.com>\r\n" + extra;
}

std::string Mixed(int n, const std::string& subject, const std::string& fileName) {
    const std::string boundary = std::string("b").append(std::to_string(n));
    std::string head = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"";
    head.append(boundary).append("\"\r\n");
    std::string m = Head(n, subject, head);
    m.append("\r\n--").append(boundary);
    m.append("\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nSee the file.\r\n--");
    m.append(boundary).append("\r\nContent-Type: application/octet-stream; name=\"");
    m.append(fileName).append("\"\r\nContent-Transfer-Encoding: base64\r\n");
    m.append("Content-Disposition: attachment; filename=\"").append(fileName).append("\"\r\n\r\n");
    m.append(Base64(Binary(3000 + static_cast<std::size_t>(n) * 37, static_cast<unsigned>(n))));
    return m.append("--").append(boundary).append("--\r\n");
}

std::string Nested(int n) {
    return Head(n, "nested " + std::to_string(n),
                "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"outer\"\r\n") +
           "\r\nPreamble.\r\n--outer\r\nContent-Type: multipart/alternative; "
           "boundary=\"inner\"\r\n\r\n--inner\r\nContent-Type: text/plain; "
           "charset=ISO-2022-JP\r\n\r\n\x1b$B$3$s$K$A$O\x1b(B\r\n--inner\r\nContent-Type: "
           "text/html; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
           "<p>caf=C3=A9</p>\r\n--inner--\r\n--outer\r\nContent-Type: message/rfc822\r\n\r\n"
           "From: inner@example.com\r\nSubject: inside\r\n\r\nembedded body\r\n.dot in "
           "embedded\r\n--outer--\r\nEpilogue.\r\n";
}

std::string Dots(int n) {
    return Head(n, "dots " + std::to_string(n)) +
           "\r\n.starts with a dot\r\n..two dots\r\n.\r\n...\r\nend\r\n. \r\n";
}

std::string Japanese(int n) {
    switch (n % 4) {
    case 0:
        return Head(n, "=?ISO-2022-JP?B?GyRCJEYkOSRIGyhC?=",
                    "Content-Type: text/plain; charset=ISO-2022-JP\r\n") +
               "\r\n\x1b$B$3$l$O%F%9%H$G$9\x1b(B\r\n";
    case 1:
        return Head(n,
                    "=?Shift_JIS?B?g2WDWINn?=", "Content-Type: text/plain; charset=Shift_JIS\r\n") +
               "\r\n\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81\x5c\r\n";
    case 2:
        return Head(n, "=?EUC-JP?B?pcaluaXI?=", "Content-Type: text/plain; charset=EUC-JP\r\n") +
               "\r\n\xa4\xb3\xa4\xf3\xa4\xcb\xa4\xc1\xa4\xcf\r\n";
    default:
        return Head(n, "=?UTF-8?B?44OG44K544OI?=",
                    "Content-Type: text/plain; charset=UTF-8\r\nContent-Transfer-Encoding: "
                    "base64\r\n") +
               "\r\n" + Base64("テストの本文です。\r\n");
    }
}

std::string Long(int n) {
    std::string body;
    for (int i = 0; i < 400; ++i)
        body.append(i % 9 == 0 ? "." : "")
            .append("line ")
            .append(std::to_string(i))
            .append(" ")
            .append(static_cast<std::size_t>(i % 120), 'x')
            .append("\r\n");
    return Head(n, "long " + std::to_string(n)) + "\r\n" + body;
}

} // namespace

std::vector<TCorpusMessage> ReceiveCorpus() {
    std::vector<TCorpusMessage> corpus;
    for (int n = 1; n <= 44; ++n) {
        switch (n % 6) {
        case 0:
            corpus.push_back({Japanese(n)});
            break;
        case 1:
            corpus.push_back({Mixed(n, "report " + std::to_string(n), "report.pdf")});
            break;
        case 2:
            corpus.push_back({Nested(n)});
            break;
        case 3:
            corpus.push_back({Dots(n)});
            break;
        case 4:
            corpus.push_back({Long(n)});
            break;
        default:
            corpus.push_back({Head(n, "plain " + std::to_string(n)) + "\r\nHello " +
                              std::to_string(n) + ".\r\n"});
        }
    }
    corpus.push_back({Head(45, "Win at the casino tonight") + "\r\nPlay now.\r\n", true});
    corpus.push_back({Mixed(46, "invoice", "invoice.exe"), true});
    corpus.push_back({Head(47, "hello") + "\r\nCheap pills here.\r\n", true});
    // The white list accepts its sender although the subject is listed.
    corpus.push_back(
        {Head(48, "casino night with friends", "Return-Path: <friend@trusted.example>\r\n") +
         "\r\nSee you.\r\n"});
    std::string big = Head(49, "too large") + "\r\n";
    while (big.size() <= 2048 * 1024)
        big += std::string(76, 'z') + "\r\n";
    corpus.push_back({big, false, true});
    corpus.push_back({Head(50, "last plain") + "\r\nBye.\r\n"});
    return corpus;
}

std::vector<std::pair<std::string, std::string>> RuleFiles() {
    return {{"subject.cgi", "casino,0,1\r\n"},
            {"attach.cgi", "exe\r\n"},
            {"body.cgi", "pills,0,1\r\n"},
            {"sender1.cgi", "friend@trusted.example,0,1,1,0\r\n"}};
}

std::string FetchedForm(const std::string& text) {
    return text.ends_with("\r\n") ? text.substr(0, text.size() - 2) : text;
}

bool ServeCorpus(TDovecotServer& server, const std::vector<TCorpusMessage>& corpus,
                 std::string& error) {
    server.AddUser("bob", "secret");
    for (const TCorpusMessage& m : corpus)
        server.AddMessage("bob", m.Text);
    return server.Start(error);
}
