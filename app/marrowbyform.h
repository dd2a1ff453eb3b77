#pragma once
// The main window and the program's controller. It owns the folders, the
// settings, the tray icon, the minute timer and the account cycle, and
// handles every numbered message that worker threads post to the window.
// The member functions live in files by concern (layout, settings, tray,
// cycle, shutdown, dispatch...).
#include <QIcon>
#include <QMainWindow>
#include <QMetaObject>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/appoptions.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QTimer;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class TBusyAnimation;
class TFormWindow;
class TDDX;
class TMarrowAccountForm;
class TMarrowFilterForm;
class TFormReceiveHost;
class TLearnFilter;
class TMBXItem;
class TMessageBox;
class TMessageListModel;
class TMultipartItem;
class TMultipartMessage;
class TMessageFilterSet;
class TPop3AccountItem;
class TPop3AccountList;
class TReceiveCoordinator;
class TReceiveHost;
class TRegexpObj;
class TSecretStore;
struct TSessionPassword;
namespace platform {
class TListener;
class TSocket;
class TMessageWindow;
} // namespace platform

class TMarrowbyForm : public QMainWindow {
    Q_OBJECT
public:
    // Window message numbers.
    static constexpr std::uint32_t WM_TRAYICON = 1025;
    static constexpr std::uint32_t WM_STARTCHECK = 1026;
    static constexpr std::uint32_t WM_CHECKEVENT = 2049;
    static constexpr std::uint32_t WM_ERASEEVENT = 2051;
    static constexpr std::uint32_t WM_SERVERREQUEST = 2053;
    // Mouse messages of the tray callback.
    static constexpr int TrayDoubleClick = 515;
    static constexpr int TrayRightButton = 516;

    // FormCreate: folders, fields, defaults, tray icon, settings bindings.
    explicit TMarrowbyForm(TAppOptions options, QWidget* parent = nullptr);
    // FormDestroy: the temporary message copies are deleted.
    ~TMarrowbyForm() override;

    void SetDialogs(TMarrowFilterForm* filterForm, TMarrowAccountForm* accountForm);
    // The desktop's secret store (QtKeychain unless one was set, for tests).
    TSecretStore& SecretStore();
    void SetSecretStore(std::unique_ptr<TSecretStore> store);
    // First display: filters, placement, settings, lists, listening. Runs
    // once, from the first show or directly when no window is shown.
    void FormShow();
    // Each line appended to the log also goes to standard output.
    void SetLogEcho(bool echo) { FLogEcho = echo; }
    // The handle that worker threads post their window messages to.
    platform::TMessageWindow* Handle() const;
    // Closes the way a confirmed close does, without asking (signals).
    void CloseWithoutQuestion();

    // Handlers that the controls, the tray menu and the timer call.
    void ButtonExecClick();
    void Exit1Click();
    void Open1Click();
    void Timer1Timer();
    void ButtonSaveSetupClick();
    void ButtonFilterClick();
    void ButtonAccountClick();
    void ButtonRecvFolderClick();
    void ButtonDustFolderClick();
    void ButtonRestructClick();
    void ButtonDeleteClick();
    void ButtonLearnSpamClick();
    void ButtonLearnHamClick();
    void ButtonClearClick();
    void ButtonOpenClick();
    void ButtonEditorClick();
    void ButtonSaveClick();
    void ButtonFolderClick();
    void ButtonCopyIPClick();
    void ButtonCopyHostClick();
    void SpeedButton1Click();
    void AppIdle();
    // One numbered window message, as the dispatch routes it; its data
    // block passes on to the handler without a copy.
    void WindowMessage(std::uint32_t msg, std::intptr_t wparam, std::intptr_t lparam,
                       std::vector<unsigned char> data);

    // Components and controls, named as the window's layout names them.
    QTabWidget* PageControl1;
    QWidget* TabMessages;
    QWidget* TabSetup;
    QWidget* TabLog;
    // the message page
    QSplitter* SplitterMultipart;
    QWidget* PanelRBox;
    QSplitter* PanelMultipart;
    QTreeView* LVMessages;
    QPushButton* ButtonRecvFolder;
    QPushButton* ButtonDustFolder;
    QPushButton* ButtonClear;
    QPushButton* ButtonDelete;
    QPushButton* ButtonLearnSpam;
    QPushButton* ButtonLearnHam;
    // the list's context menu: the two learning commands
    QMenu* PopupMenuMessages;
    QAction* ActionLearnSpam;
    QAction* ActionLearnHam;
    QPushButton* ButtonOpen;
    QPushButton* ButtonEditor;
    QTreeWidget* TVMultipart;
    QTabWidget* PageControl2;
    QPlainTextEdit* MemoBody;
    QPlainTextEdit* MemoHeader;
    QLineEdit* EditSubject;
    QLineEdit* EditRecvDate;
    QLineEdit* EditDate;
    QLineEdit* EditSender;
    QTreeWidget* LVReceived;
    QPushButton* ButtonCopyIP;
    QPushButton* ButtonCopyHost;
    QPlainTextEdit* MemoTo;
    QPlainTextEdit* MemoCc;
    QLineEdit* EditAttach;
    QLineEdit* EditMime;
    QPushButton* ButtonSave;
    QPushButton* ButtonFolder;
    // the settings page
    QLineEdit* EditTimeout;
    QCheckBox* CheckTimeout;
    QLineEdit* EditLimitSize;
    QLineEdit* EditEditor;
    QToolButton* SpeedButton1;
    QCheckBox* CXDenyRemote;
    QCheckBox* CXClientLog;
    QCheckBox* CXServerLog;
    QCheckBox* CXPrecheckAttach;
    QCheckBox* CXLearnEnable;
    QLineEdit* EditLearnSpam;
    QLineEdit* EditLearnUnsure;
    QLabel* LabelLearnCounts;
    QPushButton* ButtonSaveSetup;
    QPushButton* ButtonFilter;
    QPushButton* ButtonAccount;
    QPushButton* ButtonRestruct;
    // the log page and the command row
    QPlainTextEdit* MemoLog;
    QPushButton* ButtonExec;
    QPushButton* ButtonExit;
    TBusyAnimation* Animate1;
    // non-visual components
    QTimer* Timer1;
    QMenu* PopupMenu1;
    QAction* Open1;
    QAction* Receive1;
    QAction* Exit1;
    TDDX* DDX1;
    std::unique_ptr<platform::TListener> ServerSocket1;
    std::unique_ptr<TPop3AccountList> Pop3AccountList1;
    std::unique_ptr<TMessageBox> DustBox1;
    // The message shown in the viewer, parsed again from its file at each selection.
    std::unique_ptr<TMultipartMessage> MultipartMessage1;
    // The nine filter lists (MessageFiltersSender1 ... MessageFiltersAttach).
    std::unique_ptr<TMessageFilterSet> MessageFilters;
    // The learning filter, the verdict's last step (learn.db of the program folder).
    std::unique_ptr<TLearnFilter> LearnFilter1;

signals:
    // The close went through: the program may end.
    void FormClosed();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend struct TMarrowbyFormAccess; // the tests' view of the fields
    friend class TFormReceiveHost;     // the receive coordinator's view of the data

    // window layout
    void BuildLayout();
    QWidget* BuildMessagePage();
    QWidget* BuildMessageButtons();
    void BuildMessageMenu();
    QWidget* BuildViewer();
    QWidget* BuildInfoPage();
    QWidget* BuildRoutePage();
    QWidget* BuildAttachPage();
    QWidget* BuildSetupPage();
    QWidget* BuildSetupButtons();
    QWidget* BuildLearnSettings(QWidget* page);
    QWidget* BuildCommandRow();
    void BuildTrayMenu();
    void ConnectHandlers();

    // creation
    void MakeFolders();
    void RegisterSettingsItems();
    void UploadSettings();

    // settings and placement
    void LoadSettings();
    void SaveSettings();
    void LoadPlacement();
    void SavePlacement();
    void SetPanelHeight(int height);

    // tray icon
    void TrayAdd();
    void TrayDelete();
    void TraySetIdle();
    void TraySetReceived(int received, int deleted, int oversize);
    void TraySetResponding();
    void TraySet(const QIcon& icon, const std::string& tip);
    void ShowListenFailure(int port, const std::string& reason);
    void WMTrayIcon(std::intptr_t mouseMessage);

    // accounts and the check cycle
    int AccountCount() const;
    TPop3AccountItem* AccountAt(int index) const;
    TPop3AccountItem* CheckingAccount() const { return AccountAt(FCheckIndex); }
    TPop3AccountItem* ErasingAccount() const { return AccountAt(FEraseIndex); }
    void LoadAccounts();
    void RecoverStores();
    // The session of the checked account with its password, or, when that
    // could not be read, the log line and on to the next account.
    void StartCheckSession(int index, const TSessionPassword& answer);
    // False when the account list could not be written (the user is told).
    bool SaveAccounts();
    // The account dialog is shown: the accounts are being edited on file.
    bool AccountDialogOpen() const;
    // Ends the account dialog, saving its list, and reloads the window's.
    void CloseAccountDialog();
    void LoadFilters();
    void ReportError(const std::string& text);
    // ReportError with what failed (UTF-8), the path and the reason on lines of their own.
    void ReportFailure(const char* what, const std::string& path, const std::string& reason);
    void StartCheck();
    bool NextAccount();
    void PostWindowMessage(std::uint32_t msg);
    void WMStartCheck();
    void WMCheckEvent(std::intptr_t code, std::vector<unsigned char> data);
    void WMEraseEvent(std::intptr_t code, std::vector<unsigned char> data);
    void CreateReceiveCoordinator();
    // The verdict on a downloaded message by the nine lists and the learning
    // filter: true rejects; comment names the rule or the score that decided.
    bool FilterMessage(std::string& comment, TMultipartMessage& message);
    // the learning filter (learning.cpp)
    void OpenLearnFilter();
    void ApplyLearnSettings();
    // What went wrong with the learning database, in the log (and at start in a box).
    void ReportLearning(bool box);
    // The numbers of messages learned, on the settings page.
    void ShowLearnCounts();
    // the learning commands of the list (messagelearn.cpp)
    void LearnSelected(bool spam);
    void RestoreToInbox(int row, TMBXItem& entry);
    // The delete command's part for an inbox entry kept on the server of the
    // account at accountIndex: an erase thread deletes it there by its UIDL.
    void EraseOnServer(int accountIndex, TMBXItem& entry);
    void WMServerRequest(std::intptr_t code, const std::vector<unsigned char>& data);

    // the message list (messagelist.cpp): rows refer to the mailboxes' entries
    QTreeView* BuildMessageList(QWidget* parent);
    TMessageListModel* MessageList() const;
    // Mode 1 every inbox in account order, 2 the trash; sorted as chosen.
    void ShowMailbox(int mode);
    void LVMessagesColumnClick(int index);
    void SortByColumn(int index);
    void SortMessages();
    // A new entry's row at the top, not sorted in, while the list shows its kind of mailbox.
    void InsertMessageRow(TMBXItem* entry);
    bool MessageSelected() const;
    // Writes the inbox (when given) and the trash, reporting what fails.
    void SaveMailboxes(const TMessageBox* inbox);

    // the commands of the message page (messagecommands.cpp)
    void ConnectMessageCommands();
    TMBXItem* SelectedEntry() const;

    // the viewer (messageviewer.cpp): the parts' nodes refer into MultipartMessage1
    // A row became selected; a deselection changes nothing.
    void LVMessagesSelectItem(int row);
    void ShowSelectedMessage();
    void ClearViewer();
    QTreeWidgetItem* AddPartNode(TMultipartItem* part, QTreeWidgetItem* parent);
    void TVMultipartChange(QTreeWidgetItem* node);
    void ShowPart(const TMultipartItem& part);
    // The part of the selected tree node, or null.
    TMultipartItem* SelectedPart() const;
    void CopyReceivedColumn(int column);

    // opening a message and saving a part (messageopen.cpp, partsave.cpp); each
    // tells the user what failed and returns false
    bool AskOpenWarning();
    bool MakeTempCopy(const TMBXItem& entry, std::string& copyPath);
    bool OpenOnDesktop(const std::string& path);
    QString AskSavePath(const TMultipartItem& part);
    bool SavePart(const TMultipartItem& part, const QString& path);

    // the local server
    void ActivateServerSocket();
    void DeactivateServerSocket();
    int ActiveClientCount() const;
    void ServerSocket1GetThread(std::unique_ptr<platform::TSocket> client);

    // the log: lines logged while a window message is handled are held and
    // shown together when it is done (see memolog.cpp)
    void LogAppend(const std::string& line);
    void LogClear();
    void LogTime();
    void LogFlush();     // the held lines into the view
    void LogLater();     // the held lines shown and written within a moment
    void LogEchoFlush(); // standard output gets what it has not had

    // idle and minimize hooks, shutdown
    void InstallAppHooks();
    void RestoreAppHooks();
    void AppMinimize();
    bool FormCloseQuery();
    std::string CloseQuestion() const;
    void FormClose();
    void Shutdown();
    void DeleteTempMessages();

    TAppOptions FOptions;
    std::unique_ptr<TFormWindow> FWindow;
    TMarrowFilterForm* FFilterForm = nullptr;
    TMarrowAccountForm* FAccountForm = nullptr;
    QSystemTrayIcon* FTrayIcon = nullptr;
    bool FShown = false;
    bool FWasShown = false; // the window has been on screen, so its layout is real
    int FPanelHeight = 250;
    bool FClosing = false;
    bool FLogEcho = false;
    int FLogHeld = 0;         // window messages being handled
    QStringList FLogPending;  // lines held meanwhile
    std::string FLogEchoText; // UTF-8 text for standard output, not written yet
    QTimer* FLogTimer = nullptr;
    QMetaObject::Connection FIdleHook;
    bool FMinimizeHook = false;

    int FCheckIndex = -1;
    int FEraseIndex = -1;
    int FReceivedCount = 0;
    int FDeletedCount = 0;
    int FOversizeCount = 0; // over "limitsize": deleted on the server unfetched
    std::unique_ptr<TRegexpObj> FStatusLinePattern;
    std::string FHostName;
    std::uint8_t FListMode = 0;
    std::string FMsgboxFolder;
    std::string FDustboxFolder;
    std::string FTempFolder;
    std::string FServerLogFolder;
    std::string FClientLogFolder;
    std::string FCgiFolder;
    std::string FSaveFolder;
    int FCheckSpan = 5;
    bool FCheckEnable = false;
    bool FBusy = false;
    bool FDialogOpen = false;
    int FLimitSize = 2048;
    std::string FEditor;
    int FMinuteCount = 0;
    std::uint8_t FSortTarget = 2;
    bool FDescend = true;
    bool FPrecheckAttach = true;
    bool FDenyRemote = true;
    bool FServerLog = false;
    bool FClientLog = false;
    bool FLearnEnable = true; // setting "learnenable"
    int FLearnSpam = 90;      // setting "learnspam": the score (in hundredths) that rejects
    int FLearnUnsure = 50;    // setting "learnunsure": the score that marks mail unsure
    QIcon FIconIdle;
    QIcon FIconReceived;
    QIcon FIconResponding;
    std::unique_ptr<TSecretStore> FSecretStore;
    // Declared last: they refer to the fields above.
    std::unique_ptr<TReceiveHost> FReceiveHost;
    std::unique_ptr<TReceiveCoordinator> FReceive;
};
