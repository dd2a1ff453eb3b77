// The account dialog's commands: selecting a row, adding, updating,
// deleting and moving accounts, and the idle rule of their buttons.
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "platform/text.h"
#include "platform/tls.h"
#include "store/accountfolder.h"
#include "store/pop3accountlist.h"
#include "ui/ddx.h"
#include "ui/ddxaccount.h"
#include "ui/marrowaccountform.h"
#include "ui/widgettext.h"

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString Quoted(const std::string& name) {
    return Q("「") + Cp932ToQString(name) + Q("」");
}

// The host without the "#" that switches an account off.
std::string_view ServerHost(std::string_view host) {
    return host.starts_with('#') ? host.substr(1) : host;
}

// The port of the same server: the same number, or the standard ports of
// POP3 and of POP3 over TLS when only the one account uses TLS from the
// first byte (a user who turns SSL/TLS on moves from 110 to 995).
bool SameServerPort(const TPop3AccountItemBase& a, const TPop3AccountItemBase& b) {
    if (a.Port == b.Port) return true;
    auto standard = [](const TPop3AccountItemBase& x) {
        const bool tls = x.Security == platform::TTlsMode::Implicit;
        return x.Port ==
               (tls ? TPop3AccountItemBase::DefaultTlsPort : TPop3AccountItemBase::DefaultPort);
    };
    return standard(a) && standard(b) &&
           (a.Security == platform::TTlsMode::Implicit) !=
               (b.Security == platform::TTlsMode::Implicit);
}

// The same mailbox on the same server: its UIDLs still mean what the
// checklist says, so the mail kept there is not fetched again.
bool SameRemoteMailbox(const TPop3AccountItemBase& a, const TPop3AccountItemBase& b) {
    return platform::SameText(ServerHost(a.Host), ServerHost(b.Host)) && SameServerPort(a, b) &&
           a.UserID == b.UserID;
}

} // namespace

void TMarrowAccountForm::AppIdle() {
    const int index = SelectedIndex();
    const int last = LVAccounts->topLevelItemCount() - 1;
    const bool modified = DDX1->GetModified();
    ButtonAddAccount->setEnabled(modified);
    ButtonUpdAccount->setEnabled(modified && index >= 0);
    ButtonDelAccount->setEnabled(index >= 0);
    TBTop->setEnabled(index > 0);
    TBUp->setEnabled(index > 0);
    TBBottom->setEnabled(index >= 0 && index < last);
    TBDown->setEnabled(index >= 0 && index < last);
    EditFingerprint->setEnabled(ComboSecurity->currentIndex() > 0);
    SignInIdle();
}

int TMarrowAccountForm::SelectedIndex() const {
    const QList<QTreeWidgetItem*> selected = LVAccounts->selectedItems();
    return selected.isEmpty() ? -1 : LVAccounts->indexOfTopLevelItem(selected.front());
}

TPop3AccountItem* TMarrowAccountForm::SelectedRecord() const {
    const QList<QTreeWidgetItem*> selected = LVAccounts->selectedItems();
    if (selected.isEmpty()) return nullptr;
    return static_cast<TPop3AccountItem*>(selected.front()->data(0, Qt::UserRole).value<void*>());
}

QTreeWidgetItem* TMarrowAccountForm::InsertRow(TPop3AccountItem* record, int index) {
    auto* row = new QTreeWidgetItem;
    row->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(record)));
    FillRow(row, *record);
    if (index < 0)
        LVAccounts->addTopLevelItem(row);
    else
        LVAccounts->insertTopLevelItem(index, row);
    return row;
}

void TMarrowAccountForm::FillRow(QTreeWidgetItem* row, const TPop3AccountItem& record) {
    row->setText(0, Cp932ToQString(record.Name));
    row->setText(1, Cp932ToQString(record.Host));
    row->setText(2, Cp932ToQString(record.UserID));
}

void TMarrowAccountForm::ShowError(const QString& text) {
    QMessageBox::warning(this, windowTitle(), text);
}

// The fields show the selected account and count as unmodified.
void TMarrowAccountForm::LVAccountsSelectItem() {
    const TPop3AccountItem* record = SelectedRecord();
    if (!record) return;
    DDX1->Items(0).SetValue(record->Name);
    DDX1->Items(1).SetValue(record->Host);
    DDX1->Items(2).SetValue(record->UserID);
    DDX1->Items(3).SetValue(record->Password);
    DDX1->Items(4).SetValue(static_cast<int>(record->Port));
    DDX1->Items(5).SetValue(record->APOP);
    DDX1->Items(6).SetValue(record->Stay);
    DDX1->Items(7).SetValue(static_cast<int>(record->Security));
    DDX1->Items(8).SetValue(record->Fingerprint);
    UploadSignIn(*record);
    DDX1->Upload();
    EditCommand->home(false); // the command's program first
}

void TMarrowAccountForm::DownloadSecurity(TPop3AccountItem& record) const {
    record.Security = static_cast<platform::TTlsMode>(DDX1->Items(7).AsInteger());
    // A pin means nothing without TLS; stored in the form that is shown.
    record.Fingerprint =
        record.Security == platform::TTlsMode::None
            ? std::string()
            : platform::NormalizeFingerprint(DDX1->Items(8).AsString()).value_or(std::string());
}

void TMarrowAccountForm::ComboSecuritySelect(int index) {
    const bool tls = index == static_cast<int>(platform::TTlsMode::Implicit);
    const QString from = QString::number(tls ? TPop3AccountItemBase::DefaultPort
                                             : TPop3AccountItemBase::DefaultTlsPort);
    if (EditPort->text().trimmed() != from) return;
    EditPort->setText(QString::number(tls ? TPop3AccountItemBase::DefaultTlsPort
                                          : TPop3AccountItemBase::DefaultPort));
    EditPort->setModified(true);
}

// The account goes to the end of the list with its folder made. A folder
// that is there already (left by an account removed without its mail) is
// taken over with its mailbox and checklist, so its mail is not hidden
// behind an empty index.
void TMarrowAccountForm::ButtonAddAccountClick() {
    FNameItem->SetEditing(nullptr);
    RequireSignInFields(nullptr);
    if (!DDX1->Download(this)) return;
    TPop3AccountItem* record = Pop3AccountList1->Add(
        DDX1->Items(0).AsString(), DDX1->Items(2).AsString(), DDX1->Items(3).AsString(),
        DDX1->Items(1).AsString(), DDX1->Items(4).AsInteger(), DDX1->Items(5).AsBoolean(),
        DDX1->Items(6).AsBoolean());
    DownloadSecurity(*record);
    DownloadSignIn(*record);
    if (!KeepSecret(nullptr, *record)) {
        Pop3AccountList1->Remove(record);
        return;
    }
    std::string error;
    if (!MakeAccountFolder(record->GetFolder(), &error)) {
        Pop3AccountList1->Remove(record);
        ShowError(Q("ｱｶｳﾝﾄのﾌｫﾙﾀﾞを作成できないため、登録できません\n") + Cp932ToQString(error));
        return;
    }
    record->LoadChecklist();
    record->Mailbox.Load();
    InsertRow(record);
}

// A new name moves the folder with the stored mail; when the move fails the
// account keeps its old name (and so its mail), the other values change.
void TMarrowAccountForm::ButtonUpdAccountClick() {
    TPop3AccountItem* record = SelectedRecord();
    if (!record) return;
    FNameItem->SetEditing(record);
    RequireSignInFields(record);
    if (!DDX1->Download(this)) return;
    TPop3AccountItem edited(Pop3AccountList1.get(), DDX1->Items(0).AsString(),
                            DDX1->Items(2).AsString(), DDX1->Items(3).AsString(),
                            DDX1->Items(1).AsString(), DDX1->Items(4).AsInteger(),
                            DDX1->Items(5).AsBoolean(), DDX1->Items(6).AsBoolean());
    DownloadSecurity(edited);
    DownloadSignIn(edited);
    std::string error;
    if (edited.Name != record->Name &&
        !RenameAccountFolder(record->GetFolder(), edited.GetFolder(), &error)) {
        ShowError(Q("ｱｶｳﾝﾄのﾌｫﾙﾀﾞの名前を変更できません\n") + Cp932ToQString(error) +
                  Q("\n設定名は") + Quoted(record->Name) + Q("のままです"));
        edited.Create(record->Name, edited.UserID, edited.Password, edited.Host, edited.Port,
                      edited.APOP, edited.Stay);
        DDX1->Items(0).SetValue(record->Name);
        DDX1->Items(0).Upload();
    }
    if (!KeepSecret(record, edited)) return;
    if (SameRemoteMailbox(*record, edited)) {
        edited.Checklist = record->Checklist;
        edited.PrevChecklist = record->PrevChecklist;
    }
    record->Assign(edited);
    FillRow(LVAccounts->selectedItems().front(), *record);
}

void TMarrowAccountForm::ButtonDelAccountClick() {
    TPop3AccountItem* record = SelectedRecord();
    if (!record) return;
    QMessageBox ask(
        QMessageBox::Question, Q("確認"),
        Quoted(record->Name) +
            Q("\nｱｶｳﾝﾄを削除すると、関連するﾒｯｾｰｼﾞも全て削除されます\nよろしいですか？"),
        QMessageBox::Yes | QMessageBox::No, this);
    ask.button(QMessageBox::Yes)->setText(Q("はい(&Y)"));
    ask.button(QMessageBox::No)->setText(Q("いいえ(&N)"));
    if (ask.exec() != QMessageBox::Yes) return;
    std::string error;
    if (!RemoveAccountFolder(record->GetFolder(), &error))
        ShowError(Q("ｱｶｳﾝﾄのﾌｫﾙﾀﾞを削除できません\n") + Cp932ToQString(error));
    TPop3AccountItem gone(Pop3AccountList1.get(), record);
    gone.SignIn = TSignInMethod::Password;
    gone.PasswordStore = TPasswordStore::File;
    KeepSecret(record, gone); // takes the password out of the secret store
    LVAccounts->clearSelection();
    delete LVAccounts->takeTopLevelItem(Pop3AccountList1->IndexOf(record));
    Pop3AccountList1->Remove(record);
}

void TMarrowAccountForm::MoveSelected(int target) {
    const int from = SelectedIndex();
    if (from < 0) return;
    target = std::clamp(target, 0, LVAccounts->topLevelItemCount() - 1);
    if (target == from) return;
    Pop3AccountList1->Move(from, target);
    QTreeWidgetItem* row = LVAccounts->takeTopLevelItem(from);
    LVAccounts->insertTopLevelItem(target, row);
    LVAccounts->setCurrentItem(row);
    row->setSelected(true);
}
