// The real program as a process: one instance per user, and the run without
// a window driven by signals.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int WaitMs = 10000; // bound of every wait; the program answers at once

int FreePort() {
    const int handle = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length);
    close(handle);
    return ntohs(address.sin_port);
}

// A program folder, a runtime folder and a settings folder of its own.
class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(base.isValid());
        QDir(base.path()).mkdir("run");
        QFile::setPermissions(base.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QDir(base.path()).mkdir("config");
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", base.filePath("run"));
        environment.insert("XDG_CONFIG_HOME", base.filePath("config"));
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
    }

    void Start(QProcess& process, const QString& folder,
               const QString& program = MARROWBY_PROGRAM) {
        QStringList args{"--headless", "--port", QString::number(FreePort())};
        if (!folder.isEmpty()) args << "--folder" << folder;
        process.setProcessEnvironment(environment);
        process.start(program, args);
        ASSERT_TRUE(process.waitForStarted(WaitMs));
    }

    // Reads the channel until a line matches; false when the bound passes.
    static bool WaitForLine(QProcess& process, QProcess::ProcessChannel channel,
                            const QRegularExpression& pattern, QStringList* seen = nullptr) {
        process.setReadChannel(channel);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < WaitMs) {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                if (seen) *seen << line;
                if (pattern.match(line).hasMatch()) return true;
            }
            if (process.state() != QProcess::Running) return false;
            process.waitForReadyRead(100);
        }
        return false;
    }

    static bool WaitUntilReady(QProcess& process, QStringList* seen = nullptr) {
        return WaitForLine(process, QProcess::StandardError,
                           QRegularExpression("running without a window"), seen);
    }

    // The first line of the log names the program folder.
    static bool WaitForFolderLine(QProcess& process, const QString& folder) {
        return WaitForLine(
            process, QProcess::StandardOutput,
            QRegularExpression("^" + QRegularExpression::escape(QString("ﾃﾞｰﾀﾌｫﾙﾀﾞ: ") + folder) +
                               "$"));
    }

    static void Stop(QProcess& process) {
        kill(static_cast<pid_t>(process.processId()), SIGTERM);
        ASSERT_TRUE(process.waitForFinished(WaitMs));
        EXPECT_EQ(process.exitCode(), 0);
    }

    QTemporaryDir base;
    QProcessEnvironment environment;
};

TEST_F(ProgramRun, SecondInstanceEndsAtOnceWhileTheFirstRuns) {
    QProcess first;
    Start(first, base.filePath("first"));
    ASSERT_TRUE(WaitUntilReady(first));

    QProcess second;
    Start(second, base.filePath("second"));
    ASSERT_TRUE(second.waitForFinished(WaitMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAll().isEmpty());
    EXPECT_FALSE(QDir(base.filePath("second")).exists());
    EXPECT_EQ(first.state(), QProcess::Running);

    kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(WaitMs));
    EXPECT_EQ(first.exitCode(), 0);
}

TEST_F(ProgramRun, HeadlessChecksOnSigusr1AndEndsOnSigterm) {
    QProcess process;
    const QString folder = base.filePath("program");
    Start(process, folder);
    ASSERT_TRUE(WaitUntilReady(process));
    for (const char* name : {"Msgbox", "Dustbox", "Temp", "ServerLog", "ClientLog", "cgi"})
        EXPECT_TRUE(QDir(folder + "/" + name).exists()) << name;
    ASSERT_TRUE(WaitForFolderLine(process, folder + "/"));

    kill(static_cast<pid_t>(process.processId()), SIGUSR1);
    const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d$");
    QStringList lines;
    ASSERT_TRUE(WaitForLine(process, QProcess::StandardOutput, time, &lines));
    ASSERT_TRUE(WaitForLine(process, QProcess::StandardOutput, time, &lines));
    EXPECT_EQ(lines.size(), 2) << lines.join('|').toStdString();

    kill(static_cast<pid_t>(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(WaitMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    QSettings settings(base.filePath("config/Pellwick/Marrowby.conf"), QSettings::IniFormat);
    EXPECT_EQ(settings.value("Settings/checkspan").toInt(), 5);
    EXPECT_EQ(settings.value("Settings/state").toInt(), 0);
}

TEST_F(ProgramRun, WithoutFolderTheUserDataFolderIsMadeAndUsed) {
    environment.insert("XDG_DATA_HOME", base.filePath("data"));
    const QString folder = base.filePath("data/Marrowby");
    QProcess process;
    Start(process, {});
    QStringList start;
    ASSERT_TRUE(WaitUntilReady(process, &start));
    EXPECT_TRUE(start.last().contains(folder + "/")) << start.join('|').toStdString();
    ASSERT_TRUE(WaitForFolderLine(process, folder + "/"));
    struct stat made {};
    ASSERT_EQ(stat(folder.toLocal8Bit().constData(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0700u);
    EXPECT_TRUE(QDir(folder + "/Msgbox").exists());
    EXPECT_FALSE(QDir(QFileInfo(MARROWBY_PROGRAM).dir().filePath("Msgbox")).exists());
    Stop(process);
}

TEST_F(ProgramRun, LayoutBesideTheExecutableIsKept) {
    environment.insert("XDG_DATA_HOME", base.filePath("data"));
    const QString folder = base.filePath("portable");
    ASSERT_TRUE(QDir().mkpath(folder + "/Msgbox"));
    ASSERT_TRUE(QFile::copy(MARROWBY_PROGRAM, folder + "/marrowby"));
    QProcess process;
    Start(process, {}, folder + "/marrowby");
    ASSERT_TRUE(WaitUntilReady(process));
    ASSERT_TRUE(WaitForFolderLine(process, folder + "/"));
    EXPECT_TRUE(QDir(folder + "/cgi").exists());
    EXPECT_FALSE(QDir(base.filePath("data/Marrowby")).exists());
    Stop(process);
}

TEST_F(ProgramRun, SigintEndsTheSameWay) {
    QProcess process;
    Start(process, base.filePath("program"));
    ASSERT_TRUE(WaitUntilReady(process));
    kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(WaitMs));
    EXPECT_EQ(process.exitCode(), 0);
    QSettings settings(base.filePath("config/Pellwick/Marrowby.conf"), QSettings::IniFormat);
    EXPECT_TRUE(settings.contains("Settings/denyremote"));
}

TEST_F(ProgramRun, HelpVersionAndBadArguments) {
    struct {
        QStringList args;
        int code;
        const char* text;
        QProcess::ProcessChannel channel;
    } cases[] = {
        {{"--help"}, 0, "--headless", QProcess::StandardOutput},
        {{"--version"}, 0, "marrowby ", QProcess::StandardOutput},
        {{"--port", "0"}, 2, "--port", QProcess::StandardError},
        {{"--bogus"}, 2, "--bogus", QProcess::StandardError},
    };
    for (const auto& c : cases) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(MARROWBY_PROGRAM, c.args);
        ASSERT_TRUE(process.waitForFinished(WaitMs));
        EXPECT_EQ(process.exitCode(), c.code) << c.args.join(' ').toStdString();
        process.setReadChannel(c.channel);
        EXPECT_TRUE(process.readAll().contains(c.text)) << c.args.join(' ').toStdString();
    }
}

} // namespace
