// The account dialog driven by the names of its controls, as a user would:
// typing, clicking, answering its message boxes, on a temporary program
// folder whose files are checked after it closes.
#include "ui/marrowaccountform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

#include "foundation/datafile.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "store/secretstore.h"
#include "store/storelayout.h"
#include "tests/support/fakesecretstore.h"
#include "tests/ui/ddxtesthelp.h"
#include "tests/ui/messageboxanswer.h"
#include "ui/ddx.h"
#include "ui/ddxaccount.h"

namespace {

struct TAccountValues {
    const char* name;
    const char* host;
    const char* user;
    const char* password;
    const char* port;
    bool apop = false;
    bool stay = false;
};

class AccountForm : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { form.reset(); }

    std::string Folder() const { return QStringToCp932(dir.path()) + "/"; }
    std::string Msgbox() const { return MsgboxFolder(Folder()) + "/"; }
    std::vector<std::string> ListLines() const { return ReadDataFile(Msgbox() + "accounts.dat"); }

    // Accounts on file, each with its folder, before the dialog opens.
    void Prepare(const std::vector<TAccountValues>& accounts) {
        TPop3AccountList list;
        SetupAccountList(list, Folder());
        for (const auto& a : accounts) {
            TPop3AccountItem* record =
                list.Add(Cp(a.name), a.user, a.password, a.host, std::stoi(a.port), a.apop, a.stay);
            ASSERT_TRUE(platform::ForceDirectories(record->GetFolder()));
        }
        ASSERT_TRUE(list.Save());
    }
    void Open(TSecretStore* store = nullptr) {
        form = std::make_unique<TMarrowAccountForm>(Folder());
        form->SetSecretStore(store);
        form->show();
    }
    template <class T = QWidget>
    T* Get(const char* name) const {
        T* widget = form->findChild<T*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Edit(const char* name) const { return Get<QLineEdit>(name); }
    void Click(const char* name) const {
        form->AppIdle();
        auto* button = Get<QAbstractButton>(name);
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    // Replaces an edit's text as typing does (the edit counts as modified).
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit, &commit);
    }
    void Fill(const TAccountValues& a) {
        Type(Edit("EditAccount"), Q(a.name));
        Type(Edit("EditHost"), Q(a.host));
        Type(Edit("EditUserID"), Q(a.user));
        Type(Edit("EditPassword"), Q(a.password));
        Type(Edit("EditPort"), Q(a.port));
        Get<QCheckBox>("CheckAPOP")->setChecked(a.apop);
        Get<QCheckBox>("CheckStay")->setChecked(a.stay);
    }
    // Chooses from a combo box with the keyboard, as a user does (an item
    // that is off is stepped over).
    void Choose(const char* name, int downs) const {
        form->AppIdle(); // a combo box that is off takes no keys
        auto* combo = Get<QComboBox>(name);
        QTest::keyClick(combo, Qt::Key_Home);
        for (int i = 0; i < downs; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
    }
    void ChooseSecurity(int index) const { Choose("ComboSecurity", index); }
    void Select(int row) const {
        auto* list = Get<QTreeWidget>("LVAccounts");
        list->setCurrentItem(list->topLevelItem(row));
    }
    QStringList Rows(int column = 0) const {
        QStringList texts;
        auto* list = Get<QTreeWidget>("LVAccounts");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(column);
        return texts;
    }
    int SelectedRow() const {
        auto* list = Get<QTreeWidget>("LVAccounts");
        auto selected = list->selectedItems();
        return selected.isEmpty() ? -1 : list->indexOfTopLevelItem(selected.front());
    }
    void Close() { Get<QPushButton>("ButtonClose")->click(); }

    QTemporaryDir dir;
    std::unique_ptr<TMarrowAccountForm> form;
};

} // namespace

TEST_F(AccountForm, ComponentsNamesAndCaptions) {
    Open();
    EXPECT_EQ(form->windowTitle(), Q("ｱｶｳﾝﾄ"));
    EXPECT_EQ(form->layout()->sizeConstraint(), QLayout::SetFixedSize);
    const std::pair<const char*, const char*> texts[] = {
        {"ButtonAddAccount", "登録(&A)"}, {"ButtonDelAccount", "削除(&D)"},
        {"ButtonUpdAccount", "更新(&U)"}, {"ButtonClose", "閉じる(&C)"},
        {"CheckAPOP", "APOP対応(&E)"},    {"CheckStay", "ｻｰﾊﾞに残す(&S)"},
    };
    for (const auto& [name, text] : texts)
        EXPECT_EQ(Get<QAbstractButton>(name)->text(), Q(text)) << name;
    const std::pair<const char*, const char*> labels[] = {
        {"EditAccount", "設定名(&N)"},
        {"EditHost", "ｻｰﾊﾞ名(&H)"},
        {"EditUserID", "ﾕｰｻﾞｰID(&I)"},
        {"EditPassword", "ﾊﾟｽﾜｰﾄﾞ(&W)"},
        {"EditPort", "ﾎﾟｰﾄ(&P)"},
        {"ComboSecurity", "接続の保護(&L)"},
        {"EditFingerprint", "証明書の指紋(&F)"},
        {"ComboSignIn", "ﾛｸﾞｲﾝ方法(&M)"},
        {"ComboPasswordStore", "ﾊﾟｽﾜｰﾄﾞの保存先(&K)"},
        {"EditCommand", "ｺﾏﾝﾄﾞ(&O)"},
        {"EditLocalPassword", "ﾛｰｶﾙﾊﾟｽﾜｰﾄﾞ(&R)"},
    };
    for (const auto& [edit, label] : labels) {
        bool found = false;
        for (const QLabel* l : form->findChildren<QLabel*>())
            if (l->buddy() == Get(edit)) found = l->text() == Q(label);
        EXPECT_TRUE(found) << edit;
    }
    EXPECT_EQ(Edit("EditPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Edit("EditPort")->text(), "110");

    auto* list = Get<QTreeWidget>("LVAccounts");
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), Q("設定名"));
    EXPECT_EQ(list->headerItem()->text(1), Q("ｻｰﾊﾞ名"));
    EXPECT_EQ(list->headerItem()->text(2), Q("ﾕｰｻﾞｰID"));
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->columnWidth(0), 80);
    EXPECT_EQ(list->columnWidth(1), 120);

    auto* toolbar = Get<QToolBar>("ToolBar1");
    for (const char* name : {"TBUp", "TBDown", "TBTop", "TBBottom"}) {
        auto* button = Get<QToolButton>(name);
        EXPECT_EQ(button->parent(), toolbar) << name;
        // Sharp at 2x: a pixmap of twice the size, not a scaled one.
        const QPixmap sharp = button->icon().pixmap(QSize(16, 16), 2.0);
        EXPECT_EQ(sharp.deviceIndependentSize(), QSizeF(16, 16)) << name;
        EXPECT_EQ(sharp.size(), QSize(32, 32)) << name;
    }
    auto image = [&](const char* name) {
        return Get<QToolButton>(name)->icon().pixmap(16).toImage();
    };
    EXPECT_NE(image("TBUp"), image("TBDown"));
    EXPECT_NE(image("TBUp"), image("TBTop"));

    auto* security = Get<QComboBox>("ComboSecurity");
    ASSERT_EQ(security->count(), 3);
    EXPECT_EQ(security->itemText(0), Q("なし"));
    EXPECT_EQ(security->itemText(1), Q("SSL/TLS"));
    EXPECT_EQ(security->itemText(2), Q("STARTTLS"));

    EXPECT_EQ(Edit("EditLocalPassword")->echoMode(), QLineEdit::Password);

    // The seven bindings in their order, then security, fingerprint and sign-in.
    ASSERT_EQ(form->DDX1->Count(), 13);
    const char* captions[] = {"設定名",       "ｻｰﾊﾞ名",    "ﾕｰｻﾞID",          "ﾊﾟｽﾜｰﾄﾞ",
                              "ﾎﾟｰﾄ",         "APOP対応",  "ｻｰﾊﾞに残す",      "接続の保護",
                              "証明書の指紋", "ﾛｸﾞｲﾝ方法", "ﾊﾟｽﾜｰﾄﾞの保存先", "ｺﾏﾝﾄﾞ",
                              "ﾛｰｶﾙﾊﾟｽﾜｰﾄﾞ"};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(form->DDX1->Items(i).GetCaption(), Cp(captions[i])) << i;
    EXPECT_NE(dynamic_cast<TDDXAccount*>(&form->DDX1->Items(0)), nullptr);
    EXPECT_NE(dynamic_cast<TDDXInteger*>(&form->DDX1->Items(4)), nullptr);
    EXPECT_NE(dynamic_cast<TDDXCheckBox*>(&form->DDX1->Items(6)), nullptr);
}

TEST_F(AccountForm, AddingAppendsRowsMakesFoldersAndCloseSaves) {
    Open();
    form->AppIdle();
    for (const char* name : {"ButtonAddAccount", "ButtonUpdAccount", "ButtonDelAccount", "TBUp",
                             "TBDown", "TBTop", "TBBottom"})
        EXPECT_FALSE(Get(name)->isEnabled()) << name;
    Fill({" home ", "pop.example.jp", "taro", "se cret, \"q\"", "995", true, false});
    Click("ButtonAddAccount");
    Fill({"仕事", "mail.example.co.jp", "t.yamada", "pw", "0", false, true});
    Click("ButtonAddAccount");
    EXPECT_EQ(Rows(), (QStringList{"home", Q("仕事")}));
    EXPECT_EQ(Rows(1), (QStringList{"pop.example.jp", "mail.example.co.jp"}));
    EXPECT_EQ(Rows(2), (QStringList{"taro", "t.yamada"}));
    EXPECT_EQ(SelectedRow(), -1); // the new row is not selected
    form->AppIdle();
    EXPECT_FALSE(Get("ButtonAddAccount")->isEnabled()); // the fields count as unmodified
    EXPECT_TRUE(platform::DirectoryExists(Msgbox() + "mbx.home"));
    EXPECT_TRUE(platform::DirectoryExists(Msgbox() + "mbx." + Cp("仕事")));
    EXPECT_TRUE(ListLines().empty()); // nothing is written before the dialog closes

    Close();
    EXPECT_EQ(ListLines(),
              (std::vector<std::string>{"home,taro,\"se cret, \"\"q\"\"\",pop.example.jp,995,1,0,0",
                                        Cp("仕事") + ",t.yamada,pw,mail.example.co.jp,0,0,1,0"}));
    EXPECT_TRUE(platform::FileExists(Msgbox() + "mbx.home/messages.idx"));
    EXPECT_TRUE(platform::FileExists(Msgbox() + "mbx.home/exclude.txt"));

    // Shown again: the accounts from the file, the fields empty.
    form->show();
    EXPECT_EQ(Rows(), (QStringList{"home", Q("仕事")}));
    EXPECT_EQ(Edit("EditAccount")->text(), "");
    EXPECT_EQ(Edit("EditPort")->text(), "110");
}

TEST_F(AccountForm, RefusedInputsShowTheirMessageAndFocusTheField) {
    Prepare({{"home", "h", "u", "p", "110"}});
    Open();
    const TAccountValues good = {"new", "pop.example.jp", "taro", "secret", "110"};
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    } cases[] = {
        {"EditAccount", "", "設定名は 1 文字以上を入力してください"},
        {"EditAccount", "   ", "設定名は 1 文字以上を入力してください"},
        {"EditAccount", "a@b", "設定名は半角英数字を指定してください"},
        {"EditAccount", "50%", "設定名は半角英数字を指定してください"},
        {"EditAccount", "home", "設定名「home」は、すでに登録されています"},
        {"EditAccount", "HOME", "設定名「HOME」は、すでに登録されています"},
        {"EditAccount", "a\tb", "設定名に改行やﾀﾌﾞなどの制御文字は使えません"},
        {"EditHost", "", "ｻｰﾊﾞ名は 1 文字以上を入力してください"},
        {"EditHost", "pop\n", "ｻｰﾊﾞ名に改行やﾀﾌﾞなどの制御文字は使えません"},
        {"EditUserID", "", "ﾕｰｻﾞIDは 1 文字以上を入力してください"},
        {"EditPassword", "", "ﾊﾟｽﾜｰﾄﾞは 1 文字以上を入力してください"},
        {"EditPassword", "p\r\nx,u,p,evil,110,0,0", "ﾊﾟｽﾜｰﾄﾞに改行やﾀﾌﾞなどの制御文字は使えません"},
        {"EditPort", "-1", "ﾎﾟｰﾄは 0 以上の値を入力してください"},
        {"EditPort", "pop", "ﾎﾟｰﾄは数値を指定してください"},
        {"EditPort", "65536", "ﾎﾟｰﾄは 65535 以内の値を入力してください"},
    };
    for (const Case& c : cases) {
        Fill(good);
        Type(Edit(c.field), Q(c.text));
        TMessageBoxAnswer answer;
        answer.Arm(QMessageBox::Ok);
        Click("ButtonAddAccount");
        EXPECT_TRUE(answer.Seen) << c.field << " " << c.text;
        EXPECT_EQ(answer.Title, Q("ｱｶｳﾝﾄ"));
        EXPECT_EQ(answer.Text, Q(c.message)) << c.field << " " << c.text;
        EXPECT_EQ(answer.Icon, QMessageBox::Warning);
        EXPECT_EQ(form->focusWidget(), Edit(c.field)) << c.field << " " << c.text;
        EXPECT_EQ(Rows(), QStringList{"home"});
    }
    EXPECT_FALSE(platform::DirectoryExists(Msgbox() + "mbx.new"));
    Fill(good); // all fine now; a port of 0 is accepted
    Type(Edit("EditPort"), "0");
    Click("ButtonAddAccount");
    EXPECT_EQ(Rows(), (QStringList{"home", "new"}));
}

TEST_F(AccountForm, SelectingShowsTheAccountAndUpdateAppliesTheFields) {
    Prepare({{"home", "pop.example.jp", "taro", "secret", "995", true, false},
             {"work", "mail.example.com", "t.y", "pw", "110"}});
    Open();
    Select(0);
    EXPECT_EQ(Edit("EditAccount")->text(), "home");
    EXPECT_EQ(Edit("EditHost")->text(), "pop.example.jp");
    EXPECT_EQ(Edit("EditUserID")->text(), "taro");
    EXPECT_EQ(Edit("EditPassword")->text(), "secret");
    EXPECT_EQ(Edit("EditPort")->text(), "995");
    EXPECT_TRUE(Get<QCheckBox>("CheckAPOP")->isChecked());
    EXPECT_FALSE(Get<QCheckBox>("CheckStay")->isChecked());
    form->AppIdle();
    EXPECT_FALSE(Get("ButtonUpdAccount")->isEnabled());
    EXPECT_TRUE(Get("ButtonDelAccount")->isEnabled());

    // The account's own name is no duplicate; another's is, in any case.
    Type(Edit("EditHost"), "#pop.example.jp");
    Get<QCheckBox>("CheckStay")->setChecked(true);
    Click("ButtonUpdAccount");
    EXPECT_EQ(Rows(1), (QStringList{"#pop.example.jp", "mail.example.com"}));
    Type(Edit("EditAccount"), "Work");
    TMessageBoxAnswer taken;
    taken.Arm(QMessageBox::Ok);
    Click("ButtonUpdAccount");
    EXPECT_EQ(taken.Text, Q("設定名「Work」は、すでに登録されています"));
    Close();
    EXPECT_EQ(ListLines()[0], "home,taro,secret,#pop.example.jp,995,1,1,0");
}

TEST_F(AccountForm, SecurityChoiceProposesItsPortAndPinsAFingerprint) {
    const std::string fp =
        "9D:30:09:E1:BE:89:63:E4:67:30:BF:32:23:66:57:27:85:D3:B8:7F:2B:56:8B:49:"
        "5C:9B:78:7F:6D:79:74:D8";
    Open();
    Fill({"pops", "pop.example.jp", "taro", "secret", "110"});
    form->AppIdle();
    EXPECT_FALSE(Edit("EditFingerprint")->isEnabled()); // no pin without TLS
    ChooseSecurity(1);
    EXPECT_EQ(Edit("EditPort")->text(), "995");
    ChooseSecurity(2);
    EXPECT_EQ(Edit("EditPort")->text(), "110");
    ChooseSecurity(1);
    form->AppIdle();
    EXPECT_TRUE(Edit("EditFingerprint")->isEnabled());
    Type(Edit("EditFingerprint"),
         "9d3009e1be8963e46730bf322366572785d3b87f2b568b495c9b787f6d7974d8");
    Click("ButtonAddAccount");
    Fill({"stls", "mail.example.com", "jiro", "pw", "1110"});
    ChooseSecurity(2);
    ChooseSecurity(1);
    EXPECT_EQ(Edit("EditPort")->text(), "1110"); // a port of the user's own stays
    ChooseSecurity(2);
    Type(Edit("EditFingerprint"), "9D:30");
    TMessageBoxAnswer refused;
    refused.Arm(QMessageBox::Ok);
    Click("ButtonAddAccount");
    EXPECT_EQ(refused.Text, Q("証明書の指紋は SHA-256 の指紋 (16進数64桁) を指定してください"));
    EXPECT_EQ(form->focusWidget(), Edit("EditFingerprint"));
    Type(Edit("EditFingerprint"), "");
    Click("ButtonAddAccount");

    // Selecting shows the choice; an update of another field keeps it.
    Select(0);
    EXPECT_EQ(Get<QComboBox>("ComboSecurity")->currentIndex(), 1);
    EXPECT_EQ(Edit("EditFingerprint")->text(), QString::fromStdString(fp));
    Type(Edit("EditPassword"), "new secret");
    Click("ButtonUpdAccount");
    Select(1);
    EXPECT_EQ(Get<QComboBox>("ComboSecurity")->currentIndex(), 2);
    Close();
    EXPECT_EQ(ListLines(),
              (std::vector<std::string>{"pops,taro,\"new secret\",pop.example.jp,995,0,0,1," + fp,
                                        "stls,jiro,pw,mail.example.com,1110,0,0,2"}));
}

TEST_F(AccountForm, UpdateKeepsTheChecklistOfTheSameRemoteMailbox) {
    struct Case {
        const char* field;
        const char* text;
        bool kept;
    } cases[] = {
        {"EditPassword", "new secret", true},
        {"EditAccount", "renamed", true},
        {"EditHost", "#POP.example.jp", true},
        {"EditHost", "pop.example.net", false},
        {"EditPort", "995", false},
        {"EditUserID", "jiro", false},
        {"ComboSecurity", "1", true}, // SSL/TLS on 995: the same server
        {"ComboSecurity", "2", true},
    };
    for (const Case& c : cases) {
        form.reset();
        std::filesystem::remove_all(platform::NativePath(Msgbox()));
        Prepare({{"home", "pop.example.jp", "taro", "secret", "110"}});
        ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/exclude.txt", "A1\r\nB2\r\n"));
        Open();
        Select(0);
        if (c.field == std::string("ComboSecurity"))
            ChooseSecurity(std::stoi(c.text)); // with its port
        else
            Type(Edit(c.field), c.text);
        Click("ButtonUpdAccount");
        Close();
        const std::string folder =
            c.field == std::string("EditAccount") ? "mbx.renamed" : "mbx.home";
        EXPECT_EQ(platform::ReadFile(Msgbox() + folder + "/exclude.txt"),
                  c.kept ? "A1\r\nB2\r\n" : "")
            << c.field << " " << c.text;
    }
}

TEST_F(AccountForm, RenameMovesTheFolderWithTheStoredMail) {
    Prepare({{"home", "h", "u", "p", "110"}});
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/1.eml", "Subject: kept\r\n\r\nbody\r\n"));
    ASSERT_TRUE(
        platform::WriteFile(Msgbox() + "mbx.home/messages.idx",
                            "uid-1,1.eml,25,0,text/plain,kept,a@example.com,"
                            "2024/05/01 10:00:00,2024/05/01 10:00:00,2024/05/01 10:00:00,,\r\n"));
    Open();
    Select(0);
    Type(Edit("EditAccount"), "travel");
    Click("ButtonUpdAccount");
    EXPECT_EQ(Rows(), QStringList{"travel"});
    EXPECT_FALSE(platform::DirectoryExists(Msgbox() + "mbx.home"));
    EXPECT_TRUE(platform::FileExists(Msgbox() + "mbx.travel/1.eml"));
    Close();

    // As the main window reloads it: the mail is found under the new name.
    TPop3AccountList list;
    SetupAccountList(list, Folder());
    list.Load();
    ASSERT_EQ(list.GetCount(), 1);
    const TPop3AccountItem& account = *list.GetAccounts(0);
    EXPECT_EQ(account.Name, "travel");
    EXPECT_EQ(account.Mailbox.Caption, "travel");
    ASSERT_EQ(account.Mailbox.GetCount(), 1);
    EXPECT_EQ(platform::ReadFile(account.Mailbox.GetMessages(0)->GetPath()),
              "Subject: kept\r\n\r\nbody\r\n");
}

TEST_F(AccountForm, AFailedRenameKeepsTheNameAndTheMail) {
    Prepare({{"home", "h", "u", "p", "110"}});
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/1.eml", "mail"));
    ASSERT_TRUE(platform::ForceDirectories(Msgbox() + "mbx.work")); // left behind earlier
    Open();
    Select(0);
    Type(Edit("EditAccount"), "work");
    Type(Edit("EditPassword"), "changed");
    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    Click("ButtonUpdAccount");
    EXPECT_EQ(answer.Text,
              Q("ｱｶｳﾝﾄのﾌｫﾙﾀﾞの名前を変更できません\n") +
                  QString::fromStdString(Msgbox() + "mbx.work: " +
                                         std::make_error_code(std::errc::file_exists).message()) +
                  Q("\n設定名は「home」のままです"));
    EXPECT_EQ(Edit("EditAccount")->text(), "home");
    EXPECT_EQ(Rows(), QStringList{"home"});
    EXPECT_EQ(platform::ReadFile(Msgbox() + "mbx.home/1.eml"), "mail");
    Close();
    EXPECT_EQ(ListLines(), std::vector<std::string>{"home,u,changed,h,110,0,0,0"});
}

TEST_F(AccountForm, DeleteAsksThenRemovesTheFolderWithItsMail) {
    Prepare({{"home", "h", "u", "p", "110"}, {"work", "h2", "u2", "p2", "110"}});
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/1.eml", "mail"));
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/exclude.txt", "A1\r\n"));
    Open();
    Select(0);
    TMessageBoxAnswer no;
    no.Arm(QMessageBox::No);
    Click("ButtonDelAccount");
    EXPECT_EQ(no.Title, Q("確認"));
    EXPECT_EQ(no.Text, Q("「home」\nｱｶｳﾝﾄを削除すると、関連するﾒｯｾｰｼﾞも全て削除されます\n"
                         "よろしいですか？"));
    EXPECT_EQ(no.Icon, QMessageBox::Question);
    EXPECT_EQ(Rows(), (QStringList{"home", "work"}));
    EXPECT_TRUE(platform::FileExists(Msgbox() + "mbx.home/1.eml"));

    TMessageBoxAnswer yes;
    yes.Arm(QMessageBox::Yes);
    Click("ButtonDelAccount");
    EXPECT_TRUE(yes.Seen);
    EXPECT_EQ(Rows(), QStringList{"work"});
    EXPECT_FALSE(platform::DirectoryExists(Msgbox() + "mbx.home"));
    // Gone at once: closing without anything else keeps it gone.
    Close();
    EXPECT_EQ(ListLines(), std::vector<std::string>{"work,u2,p2,h2,110,0,0,0"});
}

TEST_F(AccountForm, MovesReorderTheRowsAndTheList) {
    Prepare({{"a", "ha", "ua", "p", "110"},
             {"b", "hb", "ub", "p", "110"},
             {"c", "hc", "uc", "p", "110"}});
    Open();
    auto enabled = [&] {
        form->AppIdle();
        std::string states;
        for (const char* name : {"TBTop", "TBUp", "TBDown", "TBBottom"})
            states += Get(name)->isEnabled() ? '1' : '0';
        return states;
    };
    EXPECT_EQ(enabled(), "0000");
    Select(0);
    EXPECT_EQ(enabled(), "0011"); // the first row cannot go up
    Click("TBBottom");
    EXPECT_EQ(Rows(), (QStringList{"b", "c", "a"}));
    EXPECT_EQ(SelectedRow(), 2);
    EXPECT_EQ(Edit("EditAccount")->text(), "a");
    EXPECT_EQ(enabled(), "1100"); // nor the last one down
    Click("TBUp");
    EXPECT_EQ(Rows(), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(Rows(1), (QStringList{"hb", "ha", "hc"}));
    Click("TBTop");
    EXPECT_EQ(Rows(), (QStringList{"a", "b", "c"}));
    Click("TBDown");
    EXPECT_EQ(Rows(), (QStringList{"b", "a", "c"}));
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(enabled(), "1111");
    Close();
    EXPECT_EQ(ListLines(), (std::vector<std::string>{"b,ub,p,hb,110,0,0,0", "a,ua,p,ha,110,0,0,0",
                                                     "c,uc,p,hc,110,0,0,0"}));
}

TEST_F(AccountForm, AFailedSaveTellsWhyAndMayBeTriedAgain) {
    for (QMessageBox::StandardButton choice : {QMessageBox::Abort, QMessageBox::Retry}) {
        form.reset();
        std::filesystem::remove_all(platform::NativePath(Msgbox()));
        // A folder where the account file belongs cannot be replaced by a file.
        ASSERT_TRUE(platform::ForceDirectories(Msgbox() + "accounts.dat/in-the-way"));
        Open();
        Fill({"home", "h", "u", "p", "110"});
        Click("ButtonAddAccount");
        TMessageBoxAnswer answer;
        answer.Arm(choice, [&] {
            if (choice == QMessageBox::Retry)
                std::filesystem::remove_all(platform::NativePath(Msgbox() + "accounts.dat"));
        });
        Close();
        ASSERT_TRUE(answer.Seen);
        EXPECT_EQ(answer.Icon, QMessageBox::Critical);
        EXPECT_TRUE(answer.Text.startsWith(Q("ｱｶｳﾝﾄの一覧を保存できません\n\n") +
                                           QString::fromStdString(Msgbox() + "accounts.dat: ")))
            << answer.Text.toStdString();
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(ListLines(), choice == QMessageBox::Retry
                                   ? std::vector<std::string>{"home,u,p,h,110,0,0,0"}
                                   : std::vector<std::string>{});
    }
}

TEST_F(AccountForm, AddingTakesOverAFolderLeftBehindAndNeedsItsFolder) {
    // An account removed without its mail left its folder: the same name
    // finds the mail again instead of hiding it behind an empty index.
    const std::string entry = "uid-1,1.eml,4,0,text/plain,s,f,\"2024/05/01 10:00:00\","
                              "\"2024/05/01 10:00:00\",\"2024/05/01 10:00:00\",,";
    ASSERT_TRUE(platform::ForceDirectories(Msgbox() + "mbx.home"));
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/1.eml", "mail"));
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/messages.idx", entry + "\r\n"));
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.home/exclude.txt", "A1\r\n"));
    Open();
    Fill({"home", "h", "u", "p", "110"});
    Click("ButtonAddAccount");
    Close();
    TMessageBox kept;
    kept.LoadFromFile(Msgbox() + "mbx.home/messages.idx");
    ASSERT_EQ(kept.GetCount(), 1);
    EXPECT_EQ(kept.GetMessages(0)->UID, "uid-1");
    EXPECT_EQ(platform::ReadFile(Msgbox() + "mbx.home/exclude.txt"), "A1\r\n");

    // A file where the folder belongs: the account is not registered.
    ASSERT_TRUE(platform::WriteFile(Msgbox() + "mbx.work", "in the way"));
    Open();
    Fill({"work", "h", "u", "p", "110"});
    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    Click("ButtonAddAccount");
    EXPECT_EQ(answer.Text, Q("ｱｶｳﾝﾄのﾌｫﾙﾀﾞを作成できないため、登録できません\n") +
                               QString::fromStdString(
                                   Msgbox() + "mbx.work: " +
                                   std::make_error_code(std::errc::not_a_directory).message()));
    EXPECT_EQ(Rows(), QStringList{"home"});
    Close();
    EXPECT_EQ(ListLines(), std::vector<std::string>{"home,u,p,h,110,0,0,0"});
}

// The sign-in rows: which apply to the method and store chosen, what each
// requires, and what reaches the file and the secret store.
TEST_F(AccountForm, SignInMethodsAndPasswordStores) {
    TFakeSecretStore store;
    Open(&store);
    EXPECT_FALSE(Get<QLabel>("LabelSecretService")->isVisible());

    Fill({"oauth", "outlook.office365.com", "taro@example.com", "", "110"});
    Choose("ComboSignIn", 1);
    form->AppIdle();
    EXPECT_FALSE(Edit("EditPassword")->isEnabled());
    EXPECT_FALSE(Get<QCheckBox>("CheckAPOP")->isEnabled());
    EXPECT_FALSE(Get<QComboBox>("ComboPasswordStore")->isEnabled());
    EXPECT_TRUE(Edit("EditCommand")->isEnabled());
    EXPECT_TRUE(Edit("EditLocalPassword")->isEnabled());
    struct Refusal {
        const char* command;
        const char* local;
        int security;
        const char* message;
    } refusals[] = {
        {"token", "l", 0,
         "ﾛｸﾞｲﾝ方法の OAuth 2.0 は、接続の保護 (SSL/TLS か STARTTLS) と組み合わせてください"},
        {"", "l", 1, "ｺﾏﾝﾄﾞは 1 文字以上を入力してください"},
        {"token 'a b", "l", 1, "ｺﾏﾝﾄﾞの引用符 (' か \") が閉じていません"},
        {"token", "", 1, "ﾛｰｶﾙﾊﾟｽﾜｰﾄﾞは 1 文字以上を入力してください"},
    };
    for (const Refusal& r : refusals) {
        ChooseSecurity(r.security);
        Type(Edit("EditCommand"), Q(r.command));
        Type(Edit("EditLocalPassword"), Q(r.local));
        TMessageBoxAnswer refused;
        refused.Arm(QMessageBox::Ok);
        Click("ButtonAddAccount");
        EXPECT_EQ(refused.Text, Q(r.message));
    }
    Type(Edit("EditCommand"), "oauth2-token --user 'taro@example.com'");
    Type(Edit("EditLocalPassword"), "l");
    Click("ButtonAddAccount");

    Fill({"kept", "pop.example.jp", "jiro", "kept pw", "110"});
    ChooseSecurity(0);
    Choose("ComboSignIn", 0);
    Choose("ComboPasswordStore", 1);
    Type(Edit("EditLocalPassword"), "local");
    Click("ButtonAddAccount");
    Fill({"cmd", "pop.example.jp", "saburo", "", "110"});
    Choose("ComboPasswordStore", 2);
    Type(Edit("EditCommand"), "pass show pop");
    Type(Edit("EditLocalPassword"), "local3");
    Click("ButtonAddAccount");
    EXPECT_EQ(Rows(), (QStringList{"oauth", "kept", "cmd"}));
    const std::string keptKey = SecretKey(*form->Pop3AccountList1->GetAccounts(1));
    EXPECT_EQ(store.Secrets, (std::map<std::string, std::string>{{keptKey, "kept pw"}}));

    // A renamed account keeps its stored password without it being typed again.
    Select(1);
    EXPECT_EQ(Edit("EditPassword")->text(), "");
    EXPECT_EQ(Edit("EditPassword")->placeholderText(), Q("(ｼｰｸﾚｯﾄｻｰﾋﾞｽに保存済み)"));
    Type(Edit("EditAccount"), "kept2");
    Click("ButtonUpdAccount");
    const std::string movedKey = SecretKey(*form->Pop3AccountList1->GetAccounts(1));
    EXPECT_NE(movedKey, keptKey);
    EXPECT_EQ(store.Secrets, (std::map<std::string, std::string>{{movedKey, "kept pw"}}));
    Close();
    EXPECT_EQ(ListLines(),
              (std::vector<std::string>{
                  "oauth,taro@example.com,,outlook.office365.com,995,0,0,1,,1,"
                  "\"oauth2-token --user 'taro@example.com'\",,l",
                  "kept2,jiro,,pop.example.jp,110,0,0,0,,,,1,local",
                  "cmd,saburo,,pop.example.jp,110,0,0,0,,,\"pass show pop\",2,local3"}));

    Open(&store);
    Select(1);
    TMessageBoxAnswer yes;
    yes.Arm(QMessageBox::Yes);
    Click("ButtonDelAccount");
    EXPECT_TRUE(store.Secrets.empty()); // deleted with the account
}

// Without a secret service the dialog says so, steps over that choice and
// offers the file.
TEST_F(AccountForm, WithoutASecretServiceTheFileIsOffered) {
    TFakeSecretStore store;
    store.Service = false;
    Open(&store);
    EXPECT_TRUE(Get<QLabel>("LabelSecretService")->isVisible());
    EXPECT_EQ(Get<QLabel>("LabelSecretService")->text(),
              Q("ｼｰｸﾚｯﾄｻｰﾋﾞｽが見つかりません。ﾊﾟｽﾜｰﾄﾞは\n"
                "accounts.dat に保存するか、ｺﾏﾝﾄﾞで取り出してください"));
    Choose("ComboPasswordStore", 1);
    EXPECT_EQ(Get<QComboBox>("ComboPasswordStore")->currentIndex(), 2);
    Fill({"plain", "pop.example.jp", "taro", "pw", "110"});
    Choose("ComboPasswordStore", 0);
    Click("ButtonAddAccount");
    Get<QComboBox>("ComboPasswordStore")->setCurrentIndex(1); // not by the keyboard
    Fill({"other", "pop.example.jp", "jiro", "pw", "110"});
    Type(Edit("EditLocalPassword"), "l");
    TMessageBoxAnswer refused;
    refused.Arm(QMessageBox::Ok);
    Click("ButtonAddAccount");
    EXPECT_EQ(refused.Text, Q("ｼｰｸﾚｯﾄｻｰﾋﾞｽが見つからないため、ﾊﾟｽﾜｰﾄﾞを保存できません"));
    EXPECT_EQ(Rows(), QStringList{"plain"});
}
