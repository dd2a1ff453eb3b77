// marrowby-screens OUTDIR [SCENE...]: draws every scene (or the ones named)
// into OUTDIR. Settings and the runtime folder are private to the run, so the
// user's own settings are never read or changed.
#include "tools/screens/screens.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "ui/widgettext.h"

namespace {

std::map<std::string, TSceneFunction>& Scenes() {
    static std::map<std::string, TSceneFunction> scenes;
    return scenes;
}

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

int Usage() {
    std::fputs("usage: marrowby-screens OUTDIR [SCENE...]\nscenes:", stderr);
    for (const auto& [name, scene] : Scenes())
        std::fprintf(stderr, " %s", name.c_str());
    std::fputs("\n", stderr);
    return 2;
}

bool RunScene(const std::string& name, const QString& outputDir) {
    QTemporaryDir folder;
    if (!folder.isValid()) return false;
    TSceneContext context{QStringToCp932(folder.path()) + "/", outputDir};
    Scenes().at(name)(context);
    return true;
}

} // namespace

TSceneRegistrar::TSceneRegistrar(const char* name, TSceneFunction scene) {
    Scenes()[name] = scene;
}

bool TSceneContext::Save(QWidget& widget, const QString& file, qreal scale) const {
    widget.show();
    Settle();
    const QString path = QDir(OutputDir).filePath(file);
    const qreal ratio = scale * widget.devicePixelRatioF();
    QPixmap picture(widget.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    widget.render(&picture);
    if (!picture.save(path)) {
        std::fprintf(stderr, "marrowby-screens: cannot write %s\n", path.toLocal8Bit().data());
        return false;
    }
    std::fprintf(stdout, "%s\n", path.toLocal8Bit().data());
    return true;
}

int main(int argc, char** argv) {
    QTemporaryDir runtime;
    if (!runtime.isValid()) return 1;
    QDir(runtime.path()).mkpath("run");
    QDir(runtime.path()).mkpath("config");
    QFile::setPermissions(runtime.filePath("run"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    setenv("XDG_RUNTIME_DIR", runtime.filePath("run").toLocal8Bit().data(), 1);
    setenv("XDG_CONFIG_HOME", runtime.filePath("config").toLocal8Bit().data(), 1);

    QApplication app(argc, argv);
    app.setOrganizationName("Pellwick");
    app.setApplicationName("Marrowby");
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) return Usage();
    const QString outputDir = args.front();
    if (!QDir().mkpath(outputDir)) return Usage();

    std::vector<std::string> names;
    for (const QString& arg : args.mid(1))
        names.push_back(arg.toStdString());
    if (names.empty())
        for (const auto& [name, scene] : Scenes())
            names.push_back(name);
    for (const std::string& name : names) {
        if (!Scenes().count(name)) return Usage();
        if (!RunScene(name, outputDir)) return 1;
    }
    return 0;
}
