// The account dialog's sign-in rows: the method (a password or an OAuth 2.0
// token through XOAUTH2), where the password lives (accounts.dat, the
// desktop's secret store or a command), the command that prints the token or
// the password, and the local password the mail client logs in with when
// the password is not in the file; and the password's way into the store.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStandardItemModel>

#include "platform/commandrun.h"
#include "secret/keychainstore.h"
#include "store/pop3accountlist.h"
#include "ui/ddx.h"
#include "ui/ddxaccount.h"
#include "ui/marrowaccountform.h"
#include "ui/widgettext.h"

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

enum : int { kSignInItem = 9, kStoreItem = 10, kCommandItem = 11, kLocalItem = 12 };

QComboBox* MakeCombo(const char* name, const QStringList& texts, const char* hint,
                     QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(texts);
    combo->setToolTip(Q(hint));
    return combo;
}

QLineEdit* MakeSecretEdit(const char* name, const char* hint, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setToolTip(Q(hint));
    return edit;
}

} // namespace

void TMarrowAccountForm::SetSecretStore(TSecretStore* store) {
    FSecretStore = store;
}

bool TMarrowAccountForm::SecretServiceAvailable() const {
    return FSecretStore && FSecretStore->Available();
}

void TMarrowAccountForm::BuildSignInRows(QWidget* panel) {
    ComboSignIn = MakeCombo("ComboSignIn", {Q("ﾊﾟｽﾜｰﾄﾞ"), Q("OAuth 2.0 (XOAUTH2)")},
                            "ﾊﾟｽﾜｰﾄﾞ: USER/PASS か APOP でﾛｸﾞｲﾝします\n"
                            "OAuth 2.0: ｺﾏﾝﾄﾞが出力するｱｸｾｽﾄｰｸﾝでﾛｸﾞｲﾝします "
                            "(SSL/TLS か STARTTLS が必要です)",
                            panel);
    ComboPasswordStore = MakeCombo(
        "ComboPasswordStore", {Q("accounts.dat (平文)"), Q("ｼｰｸﾚｯﾄｻｰﾋﾞｽ"), Q("ｺﾏﾝﾄﾞの出力")},
        "ﾊﾟｽﾜｰﾄﾞの置き場所です\n"
        "ｼｰｸﾚｯﾄｻｰﾋﾞｽ: ﾃﾞｽｸﾄｯﾌﾟのｷｰﾘﾝｸﾞ (GNOME ｷｰﾘﾝｸﾞ、KWallet など) に保存します\n"
        "ｺﾏﾝﾄﾞの出力: 受信のたびにｺﾏﾝﾄﾞを実行し、その1行目をﾊﾟｽﾜｰﾄﾞにします",
        panel);
    EditCommand = MakeSecretEdit(
        "EditCommand",
        "ｱｸｾｽﾄｰｸﾝかﾊﾟｽﾜｰﾄﾞを出力するｺﾏﾝﾄﾞです。ｼｪﾙを通さずに実行し、1行目を使います\n"
        "引数に空白を含めるときは ' か \" で囲んでください",
        panel);
    EditLocalPassword =
        MakeSecretEdit("EditLocalPassword",
                       "ﾊﾟｽﾜｰﾄﾞが accounts.dat にないｱｶｳﾝﾄで、ﾒｰﾙｿﾌﾄがこのﾌﾟﾛｸﾞﾗﾑから受信するときの"
                       "ﾊﾟｽﾜｰﾄﾞです",
                       panel);
    EditLocalPassword->setEchoMode(QLineEdit::Password);
    LabelSecretService = new QLabel(Q("ｼｰｸﾚｯﾄｻｰﾋﾞｽが見つかりません。ﾊﾟｽﾜｰﾄﾞは\n"
                                      "accounts.dat に保存するか、ｺﾏﾝﾄﾞで取り出してください"),
                                    panel);
    LabelSecretService->setObjectName("LabelSecretService");
    LabelSecretService->setVisible(false);
    AddFieldRows(panel, {{"LabelSignIn", "ﾛｸﾞｲﾝ方法(&M)", ComboSignIn},
                         {"LabelPasswordStore", "ﾊﾟｽﾜｰﾄﾞの保存先(&K)", ComboPasswordStore},
                         {"LabelCommand", "ｺﾏﾝﾄﾞ(&O)", EditCommand},
                         {"LabelLocalPassword", "ﾛｰｶﾙﾊﾟｽﾜｰﾄﾞ(&R)", EditLocalPassword}});
    FFields->addRow(QString(), LabelSecretService);
}

void TMarrowAccountForm::AddSignInItems() {
    DDX1->Add(std::make_unique<TDDXComboBox>(Sjis("ﾛｸﾞｲﾝ方法"), ComboSignIn, 0))->OnValidate =
        [this](TDDXItem& item, bool& result, std::string& msg) {
            if (ComboSignIn->currentIndex() == 0 || ComboSecurity->currentIndex() > 0) return;
            result = false;
            msg = item.GetCaption() + Sjis("の OAuth 2.0 は、接続の保護 (SSL/TLS か STARTTLS) "
                                           "と組み合わせてください");
        };
    DDX1->Add(std::make_unique<TDDXComboBox>(Sjis("ﾊﾟｽﾜｰﾄﾞの保存先"), ComboPasswordStore, 0))
        ->OnValidate = [this](TDDXItem&, bool& result, std::string& msg) {
        if (!ComboPasswordStore->isEnabled() || ComboPasswordStore->currentIndex() != 1 ||
            SecretServiceAvailable())
            return;
        result = false;
        msg = Sjis("ｼｰｸﾚｯﾄｻｰﾋﾞｽが見つからないため、ﾊﾟｽﾜｰﾄﾞを保存できません");
    };
    auto* command = DDX1->Add(std::make_unique<TDDXString>(Sjis("ｺﾏﾝﾄﾞ"), EditCommand, "", 0, 0));
    command->OnValidate = [refuse = RefuseControlBytes()](TDDXItem& item, bool& result,
                                                          std::string& msg) {
        refuse(item, result, msg);
        const auto* edit = static_cast<QLineEdit*>(item.GetControl());
        if (!result || !edit->isEnabled() ||
            platform::SplitCommandWords(QStringToCp932(edit->text())))
            return;
        result = false;
        msg = item.GetCaption() + Sjis("の引用符 (' か \") が閉じていません");
    };
    DDX1->Add(std::make_unique<TDDXString>(Sjis("ﾛｰｶﾙﾊﾟｽﾜｰﾄﾞ"), EditLocalPassword, "", 0, 0))
        ->OnValidate = RefuseControlBytes();
}

// Which rows apply to the chosen method and store.
void TMarrowAccountForm::SignInIdle() {
    const bool oauth = ComboSignIn->currentIndex() == 1;
    const int store = ComboPasswordStore->currentIndex();
    ComboPasswordStore->setEnabled(!oauth);
    EditPassword->setEnabled(!oauth && store != 2);
    CheckAPOP->setEnabled(!oauth);
    EditCommand->setEnabled(oauth || store == 2);
    EditLocalPassword->setEnabled(oauth || store != 0);
}

// At each showing: without a secret service the choice is off and the
// dialog says so.
void TMarrowAccountForm::ShowSecretService() {
    const bool available = SecretServiceAvailable();
    if (auto* model = qobject_cast<QStandardItemModel*>(ComboPasswordStore->model()))
        model->item(1)->setEnabled(available);
    LabelSecretService->setVisible(!available);
}

// The rows that apply must be filled in: the password (unless the store
// keeps one for the account already), the command and the local password.
void TMarrowAccountForm::RequireSignInFields(const TPop3AccountItem* editing) {
    SignInIdle();
    const bool kept = editing && editing->SignIn == TSignInMethod::Password &&
                      editing->PasswordStore == TPasswordStore::Secret;
    const bool secret = ComboPasswordStore->currentIndex() == 1;
    auto require = [](TDDXItem& item, bool required) {
        static_cast<TDDXString&>(item).SetMinlen(required ? 1 : 0);
    };
    require(DDX1->Items(3), EditPassword->isEnabled() && !(secret && kept));
    require(DDX1->Items(kCommandItem), EditCommand->isEnabled());
    require(DDX1->Items(kLocalItem), EditLocalPassword->isEnabled());
}

void TMarrowAccountForm::UploadSignIn(const TPop3AccountItem& record) {
    DDX1->Items(kSignInItem).SetValue(static_cast<int>(record.SignIn));
    DDX1->Items(kStoreItem).SetValue(static_cast<int>(record.PasswordStore));
    DDX1->Items(kCommandItem).SetValue(record.SecretCommand);
    DDX1->Items(kLocalItem).SetValue(record.LocalPassword);
    EditPassword->setPlaceholderText(!PasswordInFile(record) &&
                                             record.PasswordStore == TPasswordStore::Secret
                                         ? Q("(ｼｰｸﾚｯﾄｻｰﾋﾞｽに保存済み)")
                                         : QString());
}

// Only what applies is kept; a password kept elsewhere is not kept here.
void TMarrowAccountForm::DownloadSignIn(TPop3AccountItem& record) const {
    record.SignIn = static_cast<TSignInMethod>(DDX1->Items(kSignInItem).AsInteger());
    record.PasswordStore = record.SignIn == TSignInMethod::XOAuth2
                               ? TPasswordStore::File
                               : static_cast<TPasswordStore>(DDX1->Items(kStoreItem).AsInteger());
    if (record.SignIn == TSignInMethod::XOAuth2) record.APOP = false;
    const bool command =
        record.SignIn == TSignInMethod::XOAuth2 || record.PasswordStore == TPasswordStore::Command;
    record.SecretCommand = command ? DDX1->Items(kCommandItem).AsString() : std::string();
    record.LocalPassword =
        PasswordInFile(record) ? std::string() : DDX1->Items(kLocalItem).AsString();
}

// Puts the typed password into the secret store under the record's key, or
// moves the one kept under the key of before (a renamed account); takes it
// out when the account no longer keeps it there. False when the store
// refused, after telling the user.
bool TMarrowAccountForm::KeepSecret(const TPop3AccountItem* before, TPop3AccountItem& record) {
    const bool wasKept = before && before->SignIn == TSignInMethod::Password &&
                         before->PasswordStore == TPasswordStore::Secret;
    const bool keep =
        record.SignIn == TSignInMethod::Password && record.PasswordStore == TPasswordStore::Secret;
    if (!FSecretStore) { // the choice was refused without a service
        if (!PasswordInFile(record)) record.Password.clear();
        return !keep;
    }
    const std::string oldKey = wasKept ? SecretKey(*before) : std::string();
    const std::string newKey = SecretKey(record);
    std::string password = keep ? record.Password : std::string();
    if (!PasswordInFile(record)) record.Password.clear();
    TSecretStore::TResult result{TSecretStore::TStatus::Ok, {}, {}};
    if (keep && password.empty() && wasKept && oldKey != newKey) {
        result =
            WaitForSecretStore([&](TSecretStore::TDone done) { FSecretStore->Read(oldKey, done); });
        password = result.Secret;
    }
    if (result.Status == TSecretStore::TStatus::Ok && keep && !password.empty())
        result = WaitForSecretStore(
            [&](TSecretStore::TDone done) { FSecretStore->Write(newKey, password, done); });
    if (result.Status != TSecretStore::TStatus::Ok) {
        ShowError(Q("ﾊﾟｽﾜｰﾄﾞをｼｰｸﾚｯﾄｻｰﾋﾞｽに保存できません\n") + Cp932ToQString(result.Error));
        return false;
    }
    if (wasKept && (!keep || oldKey != newKey))
        WaitForSecretStore([&](TSecretStore::TDone done) { FSecretStore->Remove(oldKey, done); });
    return true;
}
