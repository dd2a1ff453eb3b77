#pragma once
// The account dialog: registers, edits, orders and deletes the remote POP3
// accounts. It works on its own list, loaded from "accounts.dat" each time
// it is shown and saved when it closes (it returns 1); the main window saves
// its list before and reloads it after. Adding makes the account's folder,
// renaming moves it, deleting removes it with the stored mail, at once.
#include <QDialog>
#include <QMetaObject>
#include <initializer_list>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TDDX;
class TDDXAccount;
class TPop3AccountItem;
class TPop3AccountList;
class TSecretStore;
class QLabel;
enum class TReorderPicture;

class TMarrowAccountForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultClose = 1;

    // FormCreate: the list of programFolder's "Msgbox" and the seven bindings.
    explicit TMarrowAccountForm(const std::string& programFolder, QWidget* parent = nullptr);
    ~TMarrowAccountForm() override;

    // The idle rule of the buttons; runs whenever the event loop has nothing
    // left to do while the dialog is shown.
    void AppIdle();
    // FormClose as well, for every way of closing.
    void done(int result) override;
    // Where passwords are kept out of the file (not owned; null: no service).
    void SetSecretStore(TSecretStore* store);

    QTreeWidget* LVAccounts;
    QToolBar* ToolBar1;
    QToolButton* TBUp;
    QToolButton* TBDown;
    QToolButton* TBTop;
    QToolButton* TBBottom;
    QLineEdit* EditAccount;
    QLineEdit* EditHost;
    QLineEdit* EditUserID;
    QLineEdit* EditPassword;
    QLineEdit* EditPort;
    QComboBox* ComboSecurity;      // none, SSL/TLS, STARTTLS: the account file's 0, 1, 2
    QLineEdit* EditFingerprint;    // a pinned SHA-256 fingerprint, empty for none
    QComboBox* ComboSignIn;        // password, XOAUTH2: the account file's 0, 1
    QComboBox* ComboPasswordStore; // accounts.dat, secret store, command: 0, 1, 2
    QLineEdit* EditCommand;        // prints the token or the password
    QLineEdit* EditLocalPassword;  // the local login's when the password is not in the file
    QLabel* LabelSecretService;    // shown when no secret service is there
    QCheckBox* CheckAPOP;
    QCheckBox* CheckStay;
    QPushButton* ButtonAddAccount;
    QPushButton* ButtonDelAccount;
    QPushButton* ButtonUpdAccount;
    QPushButton* ButtonClose;
    // Items: 0 name, 1 host, 2 user, 3 password, 4 port, 5 APOP, 6 stay,
    // then 7 security, 8 fingerprint, 9 sign-in method, 10 password store,
    // 11 command and 12 local password.
    TDDX* DDX1;
    std::unique_ptr<TPop3AccountList> Pop3AccountList1;

protected:
    void showEvent(QShowEvent* e) override;

private:
    // creation (marrowaccountform.cpp)
    void BuildLayout();
    QWidget* BuildListPanel();
    QWidget* BuildFields();
    QToolButton* MakeMoveButton(const char* name, const char* hint, TReorderPicture picture);
    void AddDDXItems();
    void ConnectHandlers();
    // A row of fields: the label's object name and its text with the
    // shortcut that goes to the field.
    struct TFieldRow {
        const char* Name;
        const char* Label;
        QWidget* Field;
    };
    void AddFieldRows(QWidget* panel, std::initializer_list<TFieldRow> rows);

    // showing and closing
    void FormShow();
    void FormClose();
    void ResetFields();
    bool AskRetrySave(const std::string& error);

    // the commands (accountcommands.cpp)
    void LVAccountsSelectItem();
    void ButtonAddAccountClick();
    void ButtonUpdAccountClick();
    void ButtonDelAccountClick();
    void MoveSelected(int target);
    // A choice of SSL/TLS proposes its port 995 for the plain 110, and back.
    void ComboSecuritySelect(int index);
    // The values of items 7 and 8 for the record.
    void DownloadSecurity(TPop3AccountItem& record) const;
    // The row of a record, filled from it; inserted at index (appended when -1).
    QTreeWidgetItem* InsertRow(TPop3AccountItem* record, int index = -1);
    void FillRow(QTreeWidgetItem* row, const TPop3AccountItem& record);
    TPop3AccountItem* SelectedRecord() const;
    int SelectedIndex() const;
    void ShowError(const QString& text);

    // the sign-in rows (accountsignin.cpp)
    void BuildSignInRows(QWidget* panel);
    void AddSignInItems();
    void SignInIdle();
    bool SecretServiceAvailable() const;
    void ShowSecretService();
    void RequireSignInFields(const TPop3AccountItem* editing);
    void UploadSignIn(const TPop3AccountItem& record);
    void DownloadSignIn(TPop3AccountItem& record) const;
    bool KeepSecret(const TPop3AccountItem* before, TPop3AccountItem& record);

    // Where the later connection rows (security, sign-in) are added.
    QFormLayout* FFields = nullptr;
    TDDXAccount* FNameItem = nullptr;
    QMetaObject::Connection FIdleHook;
    TSecretStore* FSecretStore = nullptr;
};
