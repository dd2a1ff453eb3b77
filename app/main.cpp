// Entry of the marrowby program: command line, single instance, the three
// forms, and the event loop.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/apptexts.h"
#include "app/commandline.h"
#include "app/marrowbyform.h"
#include "app/qttranslation.h"
#include "app/signalbridge.h"
#include "app/singleinstance.h"
#include "platform/text.h"
#include "ui/marrowaccountform.h"
#include "ui/marrowfilterform.h"

namespace {

int Run(int argc, char** argv, const TCommandLine& command, const std::string& folder) {
    if (command.Headless) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    app.setOrganizationName("Pellwick");
    app.setApplicationName("Marrowby");
    app.setApplicationDisplayName(apptext::ApplicationTitle);
    app.setDesktopFileName("org.pellwick.marrowby");
    app.setQuitOnLastWindowClosed(false); // the tray keeps a hidden window alive
    if (!InstallQtTranslation(app))
        std::fprintf(stderr,
                     "marrowby: Qt's Japanese translation qtbase_ja is not in %s (Debian package "
                     "qt6-translations-l10n); standard buttons stay English\n",
                     QtTranslationsFolder().toLocal8Bit().constData());

    TAppOptions options{folder, command.Port, command.Headless};
    TMarrowbyForm form(options);
    TMarrowFilterForm filterForm(options.ProgramFolder, &form);
    TMarrowAccountForm accountForm(options.ProgramFolder, &form);
    form.SetDialogs(&filterForm, &accountForm);

    TSignalBridge bridge(&app);
    QObject::connect(&bridge, &TSignalBridge::CheckRequested, &form,
                     &TMarrowbyForm::ButtonExecClick);
    QObject::connect(&bridge, &TSignalBridge::CloseRequested, &form,
                     &TMarrowbyForm::CloseWithoutQuestion);
    QObject::connect(&form, &TMarrowbyForm::FormClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    if (command.Headless) {
        form.SetLogEcho(true);
        form.FormShow();
        std::fprintf(stderr,
                     "marrowby: running without a window in %s (SIGUSR1 checks mail, SIGTERM or "
                     "SIGINT ends)\n",
                     platform::Cp932ToUtf8(options.ProgramFolder).c_str());
        std::fflush(stderr);
    } else {
        form.show();
    }
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    const TCommandLine command = ParseCommandLine({argv + 1, argv + argc});
    switch (command.Action) {
    case TCommandLine::TAction::Help:
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    case TCommandLine::TAction::Version:
        std::fputs(VersionText().c_str(), stdout);
        return 0;
    case TCommandLine::TAction::Error:
        std::fprintf(stderr, "marrowby: %s\nTry 'marrowby --help'.\n", command.Error.c_str());
        return 2;
    case TCommandLine::TAction::Run:
        break;
    }

    TSingleInstance instance;
    switch (instance.Acquire()) {
    case TSingleInstance::TState::Running:
        return 0;
    case TSingleInstance::TState::Failed:
        std::fprintf(stderr, "marrowby: cannot take the instance lock: %s\n",
                     instance.Error().c_str());
        return 0;
    case TSingleInstance::TState::Acquired:
        break;
    }
    if (!TSignalBridge::Install()) std::perror("marrowby: signal handlers");
    const platform::TProgramFolder folder = ProgramFolderFor(command.Folder);
    if (folder.Path.empty()) {
        std::fprintf(stderr, "marrowby: %s\n", folder.Error.c_str());
        return 1;
    }

    try {
        return Run(argc, argv, command, folder.Path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "marrowby: %s\n", e.what());
        return 1;
    }
}
