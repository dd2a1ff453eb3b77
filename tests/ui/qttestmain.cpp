// main() of the Qt test programs. Qt runs without a display, and the settings
// and the runtime folder (single-instance lock) live in a private temporary
// folder, set before the first QSettings object reads them.
#include <QApplication>
#include <QDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    char base[] = "/tmp/marrowby-qttest-XXXXXX";
    if (!mkdtemp(base)) return 1;
    const std::string runtime = std::string(base) + "/run";
    const std::string config = std::string(base) + "/config";
    mkdir(runtime.c_str(), 0700);
    mkdir(config.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    QDir(QString::fromLocal8Bit(base)).removeRecursively();
    return result;
}
