// The local POP3 server of the running main window, used by real mail
// clients: Python's poplib and fetchmail fetch the inbox byte for byte; DELE
// and QUIT remove exactly the marked files and entries; a session without
// QUIT changes nothing.
#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>
#include <map>
#include <sys/stat.h>

#include "formfixture.h"
#include "foundation/csvline.h"
#include "platform/file.h"
#include "platform/listener.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"

namespace {

const std::string SourceFolder = APP_TEST_SOURCE;

struct TStored {
    std::string Uid, Content;
};

const std::vector<TStored> Inbox = {
    {"uid-1", "From: a@example.com\r\nSubject: one\r\n\r\nline1\r\n.dot line\r\n..two dots\r\n"
              ".\r\nlast\r\n"},
    {"uid-2", "Subject: two\r\n\r\nbody without a final line end"},
    {"uid-3", "Subject: three\r\nContent-Type: text/plain; charset=shift_jis\r\n\r\n"
              "\x82\xa0\x82\xa2\x82\xa4\r\n" +
                  [] {
                      std::string body;
                      for (int i = 0; i < 2500; ++i)
                          body += std::string(76, 'a' + i % 26) + "\r\n";
                      return body;
                  }()},
    {"uid-4", "no empty line at all\r\njust lines\r\n"},
};

// A message as poplib hands it over: its lines joined with CR LF, so without
// the line end of the last line.
std::string Joined(const std::string& message) {
    return message.ends_with("\r\n") ? message.substr(0, message.size() - 2) : message;
}

// Runs a program to its end while the window goes on handling its messages.
// Its exit code, -1 when it did not end within a minute. home, when given,
// is the program's HOME.
int RunWithEvents(const QString& program, const QStringList& arguments, QString* output,
                  const QString& home = {}) {
    QProcess process;
    if (!home.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        process.setProcessEnvironment(environment);
    }
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    QElapsedTimer timer;
    timer.start();
    while (!process.waitForFinished(5)) {
        QCoreApplication::processEvents();
        if (timer.elapsed() > 60000 || process.state() == QProcess::NotRunning) break;
    }
    if (output) *output = QString::fromLocal8Bit(process.readAll());
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

class LocalServerTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        TPop3AccountList list;
        SetupAccountList(list, Folder());
        TPop3AccountItem* alice = AddInbox(list, "alice", "alice.u", "secret", "pop.example.com");
        AddInbox(list, "bob", "bob.u", "pw, with blank", "pop.example.net");
        std::vector<std::string> lines;
        for (const auto& m : Inbox) {
            ASSERT_TRUE(platform::WriteFile(FilePath(*alice, m.Uid), m.Content));
            lines.push_back(CSVLineWrite({m.Uid, m.Uid + ".eml", std::to_string(m.Content.size()),
                                          "0", "text/plain", "s", "f", "2024/05/01 10:00:00",
                                          "2024/05/01 10:00:00", "2024/05/01 10:00:00", "", ""}));
        }
        alice->Mailbox.LoadFromStrings(lines);
        std::string error;
        ASSERT_TRUE(list.Save(&error)) << error;
        Form = ShownForm();
        ASSERT_TRUE(Form->ServerSocket1->GetActive());
        Port = Form->ServerSocket1->GetPort();
    }
    void TearDown() override { Form.reset(); }

    static std::string FilePath(const TPop3AccountItem& account, const std::string& uid) {
        return platform::ExtractFilePath(account.Mailbox.Path) + uid + ".eml";
    }
    TPop3AccountItem& Alice() { return *Form->Pop3AccountList1->GetAccounts(0); }
    std::vector<std::string> AliceUids() {
        std::vector<std::string> uids;
        for (int i = 0; i < Alice().Mailbox.GetCount(); ++i)
            uids.push_back(Alice().Mailbox.GetMessages(i)->UID);
        return uids;
    }
    // Plays the steps with poplib from the given address; the answer of each step.
    std::vector<std::string> Poplib(const std::vector<std::string>& steps,
                                    const std::string& from = {}) {
        QTemporaryDir out;
        QStringList arguments{QString::fromStdString(SourceFolder + "poplibsession.py"),
                              QString::number(Port) +
                                  (from.empty() ? "" : "@" + QString::fromStdString(from)),
                              out.path()};
        for (const auto& step : steps)
            arguments << QString::fromStdString(step);
        QString output;
        EXPECT_EQ(RunWithEvents("python3", arguments, &output), 0) << output.toStdString();
        std::vector<std::string> answers;
        for (std::size_t k = 0; k <= steps.size(); ++k) {
            std::string path = out.path().toStdString() + "/" + std::to_string(k) + ".out";
            if (k > 0 || platform::FileExists(path))
                answers.push_back(platform::ReadFile(path).value_or("<none>"));
        }
        return answers;
    }
    std::unique_ptr<TMarrowbyForm> Form;
    int Port = 0;
};

} // namespace

TEST_F(LocalServerTest, PoplibFetchesByteForByteAndQuitRemovesTheMarked) {
    EXPECT_EQ(Form->LVMessages->model()->rowCount(), 4);
    auto answers = Poplib({"user:alice", "pass:secret", "stat",   "list",    "uidl",    "retr:1",
                           "retr:2",     "retr:3",      "retr:4", "top:1:0", "top:1:2", "topall:1",
                           "top:4:1",    "retr:0",      "retr:5", "noop",    "dele:2",  "list",
                           "retr:2",     "rset",        "dele:1", "dele:3",  "quit"});
    ASSERT_EQ(answers.size(), 23u);
    std::string total;
    std::size_t sum = 0;
    std::string list, uidl;
    for (std::size_t i = 0; i < Inbox.size(); ++i) {
        sum += Inbox[i].Content.size();
        const char* separator = i ? "\r\n" : "";
        list.append(separator).append(std::to_string(i + 1)).append(" ");
        list.append(std::to_string(Inbox[i].Content.size()));
        uidl.append(separator).append(std::to_string(i + 1)).append(" ").append(Inbox[i].Uid);
    }
    std::vector<std::string> expected = {
        "+OK",
        "+OK",
        "4 " + std::to_string(sum),
        list,
        uidl,
        Joined(Inbox[0].Content),
        Joined(Inbox[1].Content),
        Joined(Inbox[2].Content),
        Joined(Inbox[3].Content),
        "From: a@example.com\r\nSubject: one\r\n",
        "From: a@example.com\r\nSubject: one\r\n\r\nline1\r\n.dot line",
        Joined(Inbox[0].Content),
        Joined(Inbox[3].Content),
        "ERR -ERR",
        "ERR -ERR",
        "+OK",
        "+OK",
        "1 " + std::to_string(Inbox[0].Content.size()) + "\r\n3 " +
            std::to_string(Inbox[2].Content.size()) + "\r\n4 " +
            std::to_string(Inbox[3].Content.size()),
        "ERR -ERR",
        "+OK",
        "+OK",
        "+OK",
        "+OK",
    };
    for (std::size_t k = 0; k < expected.size(); ++k)
        EXPECT_EQ(answers[k], expected[k]) << "step " << k + 1;

    ASSERT_TRUE(ProcessUntil([&] { return !Alice().IsLocked(); }));
    EXPECT_EQ(AliceUids(), (std::vector<std::string>{"uid-2", "uid-4"}));
    EXPECT_EQ(Form->LVMessages->model()->rowCount(), 2);
    for (const auto& m : Inbox)
        EXPECT_EQ(platform::FileExists(FilePath(Alice(), m.Uid)),
                  m.Uid == "uid-2" || m.Uid == "uid-4")
            << m.Uid;
}

TEST_F(LocalServerTest, PoplibApopAndASessionWithoutQuitChangeNothing) {
    auto apop = Poplib({"apop:alice:secret", "stat", "retr:3", "dele:3", "quit"});
    EXPECT_EQ(apop, (std::vector<std::string>{
                        "+OK",
                        "4 " + std::to_string(Inbox[0].Content.size() + Inbox[1].Content.size() +
                                              Inbox[2].Content.size() + Inbox[3].Content.size()),
                        Joined(Inbox[2].Content), "+OK", "+OK"}));
    ASSERT_TRUE(ProcessUntil([&] { return !Alice().IsLocked(); }));
    EXPECT_EQ(AliceUids(), (std::vector<std::string>{"uid-1", "uid-2", "uid-4"}));

    auto dropped = Poplib({"user:me%%alice", "pass:secret", "dele:1", "dele:2", "drop"});
    EXPECT_EQ(dropped[2], "+OK");
    ASSERT_TRUE(ProcessUntil([&] { return !Alice().IsLocked(); }));
    EXPECT_EQ(AliceUids(), (std::vector<std::string>{"uid-1", "uid-2", "uid-4"}));
    for (const char* uid : {"uid-1", "uid-2", "uid-4"})
        EXPECT_TRUE(platform::FileExists(FilePath(Alice(), uid))) << uid;
}

TEST_F(LocalServerTest, PasswordsAndPeersAsTheWindowDecides) {
    EXPECT_EQ(Poplib({"user:bob.u%tarn%pop.example.net", "pass:pw, with blank", "stat"}),
              (std::vector<std::string>{"+OK", "+OK", "0 0"}));
    EXPECT_EQ(Poplib({"apop:alice:SECRET"}), (std::vector<std::string>{"ERR -ERR"}));
    // With "denyremote" on, a peer other than 127.0.0.1 is refused at the greeting.
    auto remote = Poplib({}, "127.0.0.2");
    ASSERT_EQ(remote.size(), 1u);
    EXPECT_EQ(remote[0], "ERR -ERR");
}

TEST_F(LocalServerTest, CloseAsksWhileAClientIsConnected) {
    TMarrowbyFormAccess access{*Form};
    EXPECT_EQ(access.CloseQuestion(), "");
    platform::TSocket client;
    client.Connect("127.0.0.1", Port, 2000);
    ASSERT_TRUE(ProcessUntil([&] { return !access.CloseQuestion().empty(); }));
    EXPECT_EQ(
        access.CloseQuestion().substr(0, Cp("現在、ｸﾗｲｱﾝﾄに応答中のため、終了できません").size()),
        Cp("現在、ｸﾗｲｱﾝﾄに応答中のため、終了できません"));
    client.Close();
    EXPECT_TRUE(ProcessUntil([&] { return access.CloseQuestion().empty(); }));
}

namespace {

// What fetchmail delivered, without its own Received header.
std::string FromFetchmail(std::string delivered) {
    while (delivered.starts_with("Received:") || delivered.starts_with("\t")) {
        std::size_t end = delivered.find('\n');
        delivered.erase(0, end == std::string::npos ? delivered.size() : end + 1);
    }
    return delivered;
}

// What fetchmail delivers of a stored message, without that header: CR LF
// made LF and a final line end.
std::string AsDelivered(const std::string& message) {
    std::string text;
    for (std::size_t i = 0; i < message.size(); ++i)
        if (!(message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n'))
            text += message[i];
    if (!text.ends_with("\n")) text += '\n';
    // A message without an empty line is all head, which fetchmail ends with one.
    if (text.find("\n\n") == std::string::npos) text += '\n';
    return text;
}

} // namespace

TEST_F(LocalServerTest, FetchmailFetchesEveryMessageWithAndWithoutKeep) {
    if (QStandardPaths::findExecutable("fetchmail").isEmpty()) GTEST_SKIP() << "no fetchmail";
    QTemporaryDir work;
    const std::string folder = work.path().toStdString() + "/";
    platform::ForceDirectories(folder + "home");
    ASSERT_TRUE(platform::WriteFile(
        folder + "deliver.sh", "#!/bin/sh\nf=$(mktemp \"$1/msg.XXXXXX\") && cat > \"$f\"\n", 0755));
    std::map<std::string, std::string> expected;
    for (const auto& m : Inbox)
        expected[AsDelivered(m.Content)] = m.Uid;

    for (bool keep : {true, false}) {
        const std::string out = folder + (keep ? "kept" : "fetched");
        platform::ForceDirectories(out);
        const std::string rc = "set no bouncemail\npoll 127.0.0.1 with proto POP3 port " +
                               std::to_string(Port) +
                               " auth password bad-header accept\n  user \"alice\" there with "
                               "password \"secret\" is \"tester\" here"
                               " options fetchall no rewrite sslproto '' mda \"" +
                               folder + "deliver.sh " + out + "\"\n";
        ASSERT_TRUE(platform::WriteFile(folder + "rc", rc, 0600));
        QStringList arguments{"-f",
                              QString::fromStdString(folder + "rc"),
                              "--nosyslog",
                              "--idfile",
                              QString::fromStdString(folder + "home/ids"),
                              "--pidfile",
                              QString::fromStdString(folder + "home/pid")};
        if (keep) arguments << "--keep";
        QString output;
        EXPECT_EQ(
            RunWithEvents("fetchmail", arguments, &output, QString::fromStdString(folder + "home")),
            0)
            << output.toStdString();

        std::map<std::string, std::string> delivered;
        for (const auto& name : platform::FindFiles(out, ""))
            delivered[FromFetchmail(platform::ReadFile(out + "/" + name).value_or(""))] = name;
        ASSERT_EQ(delivered.size(), Inbox.size()) << output.toStdString();
        for (const auto& [text, uid] : expected)
            EXPECT_EQ(delivered.count(text), 1u) << uid;

        ASSERT_TRUE(ProcessUntil([&] { return !Alice().IsLocked(); }));
        EXPECT_EQ(Alice().Mailbox.GetCount(), keep ? 4 : 0);
        for (const auto& m : Inbox)
            EXPECT_EQ(platform::FileExists(FilePath(Alice(), m.Uid)), keep);
    }
}
