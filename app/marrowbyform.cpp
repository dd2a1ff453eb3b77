// Creation and first display of the main window.
#include "app/marrowbyform.h"

#include <QSplitter>
#include <QTimer>
#include <unistd.h>

#include "app/apptexts.h"
#include "app/formwindow.h"
#include "app/receivecoordinator.h"
#include "app/trayicons.h"
#include "filter/filterset.h"
#include "foundation/regexpobj.h"
#include "learn/learnfilter.h"
#include "message/multipartmessage.h"
#include "platform/file.h"
#include "platform/listener.h"
#include "platform/thread.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "store/secretstore.h"
#include "store/storelayout.h"
#include "ui/marrowaccountform.h"
#include "ui/widgettext.h"

namespace {

std::string LocalHostName() {
    char name[1024] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

} // namespace

TMarrowbyForm::TMarrowbyForm(TAppOptions options, QWidget* parent)
    : QMainWindow(parent), FOptions(std::move(options)),
      FWindow(std::make_unique<TFormWindow>(this)) {
    setObjectName("MarrowbyForm");
    setWindowTitle(apptext::ApplicationTitle);
    BuildLayout();
    ServerSocket1 =
        std::make_unique<platform::TListener>([this](std::unique_ptr<platform::TSocket> client) {
            ServerSocket1GetThread(std::move(client));
        });
    FIconIdle = MakeTrayIcon(TTrayPicture::Idle);
    FIconReceived = MakeTrayIcon(TTrayPicture::Received);
    FIconResponding = MakeTrayIcon(TTrayPicture::Responding);
    setWindowIcon(FIconIdle);
    FStatusLinePattern = std::make_unique<TRegexpObj>(R"((\+OK|\-ERR)[s]*(.*)\r\n)", 0);
    FStatusLinePattern->Study();
    CreateReceiveCoordinator();
    FHostName = LocalHostName();
    MakeFolders();
    TrayAdd();
    FListMode = 0;
    Pop3AccountList1 = std::make_unique<TPop3AccountList>();
    DustBox1 = std::make_unique<TMessageBox>();
    MultipartMessage1 = std::make_unique<TMultipartMessage>();
    SetupAccountList(*Pop3AccountList1, FOptions.ProgramFolder);
    SetupDustBox(*DustBox1, FOptions.ProgramFolder);
    MessageFilters = std::make_unique<TMessageFilterSet>();
    MessageFilters->SetFolder(FOptions.ProgramFolder);
    LearnFilter1 = std::make_unique<TLearnFilter>();
    RegisterSettingsItems();
    Timer1->start();
    ConnectHandlers();
}

TMarrowbyForm::~TMarrowbyForm() {
    LogFlush();
    LogEchoFlush();
    FWindow->Detach();
    ServerSocket1->Close();
    // Session and check threads post to the window handle: none may outlive it.
    platform::StopWorkerThreads();
    DeleteTempMessages();
}

platform::TMessageWindow* TMarrowbyForm::Handle() const {
    return FWindow.get();
}

void TMarrowbyForm::MakeFolders() {
    const std::string& base = FOptions.ProgramFolder;
    platform::ForceDirectories(base);
    FMsgboxFolder = base + "Msgbox";
    FDustboxFolder = base + "Dustbox";
    FTempFolder = base + "Temp";
    FServerLogFolder = base + "ServerLog";
    FClientLogFolder = base + "ClientLog";
    FCgiFolder = base + "cgi";
    for (const std::string* folder : {&FMsgboxFolder, &FDustboxFolder, &FTempFolder,
                                      &FServerLogFolder, &FClientLogFolder, &FCgiFolder})
        platform::ForceDirectories(*folder);
    FSaveFolder = base;
}

void TMarrowbyForm::SetDialogs(TMarrowFilterForm* filterForm, TMarrowAccountForm* accountForm) {
    FFilterForm = filterForm;
    FAccountForm = accountForm;
    if (accountForm) accountForm->SetSecretStore(&SecretStore());
}

void TMarrowbyForm::FormShow() {
    if (FShown) return;
    FShown = true;
    InstallAppHooks();
    LogAppend(Sjis(apptext::LogProgramFolder) + FOptions.ProgramFolder);
    LoadFilters();
    LoadPlacement();
    LoadSettings();
    OpenLearnFilter();
    ShowMailbox(1);
    UploadSettings();
    ActivateServerSocket();
}

void TMarrowbyForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    FWasShown = true;
    FormShow();
}
