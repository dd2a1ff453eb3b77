// The filter dialog driven by its controls' names: the nine tabs, adding,
// updating and deleting on each, the refusals with their messages, the
// attachment tab's rule, and what reaches the rule files after OK, after
// Cancel and when a file cannot be written.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <variant>

#include "platform/file.h"
#include "tests/ui/ddxtesthelp.h"
#include "tests/ui/messageboxanswer.h"
#include "tools/commands.h"
#include "ui/marrowfilterform.h"

namespace {

const char* const RuleFiles[] = {"sender1.cgi", "sender2.cgi", "subject.cgi",
                                 "ip.cgi",      "host.cgi",    "mailer.cgi",
                                 "header.cgi",  "body.cgi",    "attach.cgi"};

// A value for an edit (text) or a check box (state), by the control's name.
using TFieldValue = std::variant<const char*, bool>;
struct TField {
    const char* Name;
    TFieldValue Value;
};

class FilterForm : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(platform::ForceDirectories(Cgi()));
    }

    std::string Folder() const { return QStringToCp932(dir.path()) + "/"; }
    std::string Cgi() const { return Folder() + "cgi/"; }
    void WriteRules(const char* file, const std::string& bytes) {
        ASSERT_TRUE(platform::WriteFile(Cgi() + file, bytes));
    }
    std::string Rules(const char* file) const {
        return platform::ReadFile(Cgi() + file).value_or("<missing>");
    }

    TMarrowFilterForm& Form() {
        if (!form) form = std::make_unique<TMarrowFilterForm>(Folder());
        if (!form->isVisible()) form->show();
        return *form;
    }
    template <class T>
    T* Find(const char* name) {
        T* widget = Form().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Types into an edit (replacing its text) or sets a check box, as the user does.
    void Set(const TField& field) {
        if (const char* const* text = std::get_if<const char*>(&field.Value)) {
            QLineEdit* edit = Find<QLineEdit>(field.Name);
            edit->selectAll();
            edit->del();
            edit->insert(Q(*text));
        } else {
            Find<QCheckBox>(field.Name)->setChecked(std::get<bool>(field.Value));
        }
    }
    void Set(std::initializer_list<TField> fields) {
        for (const TField& field : fields)
            Set(field);
    }
    bool Enabled(const char* button) {
        Form().AppIdle();
        return Find<QPushButton>(button)->isEnabled();
    }
    // Clicks a button that the idle handler enabled.
    void Click(const char* button) {
        ASSERT_TRUE(Enabled(button)) << button;
        Find<QPushButton>(button)->click();
    }
    void Select(const char* list, int row) {
        auto* view = Find<QTreeWidget>(list);
        view->setCurrentItem(view->topLevelItem(row));
    }
    QStringList Row(const char* list, int row) {
        QStringList texts;
        QTreeWidgetItem* item = Find<QTreeWidget>(list)->topLevelItem(row);
        if (!item) return texts;
        for (int column = 0; column < item->columnCount(); ++column)
            texts << item->text(column);
        return texts;
    }
    int Rows(const char* list) { return Find<QTreeWidget>(list)->topLevelItemCount(); }
    QStringList Lines() {
        QStringList lines;
        auto* box = Find<QListWidget>("LBAttach");
        for (int i = 0; i < box->count(); ++i)
            lines << box->item(i)->text();
        return lines;
    }
    void Ok() { Find<QPushButton>("OKBtn")->click(); }

    QTemporaryDir dir;
    std::unique_ptr<TMarrowFilterForm> form;
};

} // namespace

TEST_F(FilterForm, NineTabsShowTheRulesOfTheFiles) {
    WriteRules("sender1.cgi", "a@x.jp,0,1,1,1\r\nb@x.jp,1,0,0,0\r\n");
    WriteRules("header.cgi", "X-Spam-Flag,YES,0,1\r\n");
    WriteRules("attach.cgi", "Exe\r\n");
    QTabWidget* tabs = Find<QTabWidget>("PanelFilterBody");
    const char* const names[] = {"TSFilterWhiteList", "TSFilterBlack", "TSFilterSubject",
                                 "TSFilterIP",        "TSFillterHost", "TSFilterMailer",
                                 "TSFilterHeader",    "TSFilterBody",  "TSFilterAttach"};
    const char* const captions[] = {"差出人1", "差出人2", "件名", "経由IP",  "経由ﾎｽﾄ",
                                    "ﾒｰﾙｿﾌﾄ",  "ﾍｯﾀﾞ",    "本文", "添付ﾌｧｲﾙ"};
    ASSERT_EQ(tabs->count(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(tabs->widget(i)->objectName(), names[i]);
        EXPECT_EQ(tabs->tabText(i), Q(captions[i]));
    }
    EXPECT_EQ(Form().windowTitle(), Q("ﾌｨﾙﾀ設定"));
    EXPECT_EQ(Row("LVWhite", 0),
              QStringList({"Return-Path AND From", "a@x.jp", "No", Q("区別しない")}));
    EXPECT_EQ(Row("LVWhite", 1), QStringList({"Return-Path OR From", "b@x.jp", "Yes", ""}));
    EXPECT_EQ(Row("LVHeader", 0), QStringList({"X-Spam-Flag", "YES", "No", Q("区別しない")}));
    EXPECT_EQ(Lines(), QStringList({"Exe"}));
    auto* header = Find<QTreeWidget>("LVHeader")->header();
    EXPECT_EQ(Find<QTreeWidget>("LVHeader")->headerItem()->text(0), Q("ﾍｯﾀﾞ名"));
    EXPECT_EQ(header->sectionSize(1), 160);
    // Nothing typed, nothing selected: no button is enabled.
    for (const char* button : {"ButtonWhiteAdd", "ButtonWhiteDel", "ButtonWhiteUpd",
                               "ButtonAttachAdd", "ButtonAttachDel"})
        EXPECT_FALSE(Enabled(button)) << button;
}

TEST_F(FilterForm, WhiteListAddSelectUpdateDelete) {
    Set({{"EditWhiteKeyword", "boss@example.jp"},
         {"CXWhiteCheckReturnPath", true},
         {"CXWhiteCheckFrom", true}});
    EXPECT_FALSE(Enabled("ButtonWhiteUpd")); // nothing selected
    Click("ButtonWhiteAdd");
    EXPECT_FALSE(Enabled("ButtonWhiteAdd")); // the input was taken
    Set({{"EditWhiteKeyword", "a, \"b\" c"},
         {"CXWhiteRegular", true},
         {"CXWhiteCaseless", true},
         {"CXWhiteCheckReturnPath", false},
         {"CXWhiteCheckFrom", false}});
    Click("ButtonWhiteAdd");
    Set({{"EditWhiteKeyword", "山田"}, {"CXWhiteRegular", false}, {"CXWhiteCheckFrom", true}});
    Click("ButtonWhiteAdd");
    ASSERT_EQ(Rows("LVWhite"), 3);
    EXPECT_EQ(Row("LVWhite", 0)[0], "Return-Path AND From");
    EXPECT_EQ(Row("LVWhite", 1),
              QStringList({"Return-Path OR From", "a, \"b\" c", "Yes", Q("区別しない")}));
    EXPECT_EQ(Find<QTreeWidget>("LVWhite")->selectedItems().size(),
              0); // added rows stay unselected

    // Selecting shows the rule, unmodified.
    Select("LVWhite", 0);
    EXPECT_EQ(Find<QLineEdit>("EditWhiteKeyword")->text(), "boss@example.jp");
    EXPECT_TRUE(Find<QCheckBox>("CXWhiteCheckReturnPath")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("CXWhiteCaseless")->isChecked());
    EXPECT_FALSE(Enabled("ButtonWhiteAdd"));
    EXPECT_TRUE(Enabled("ButtonWhiteDel"));
    EXPECT_FALSE(Enabled("ButtonWhiteUpd"));

    // Update changes the rule in place.
    Set({{"EditWhiteKeyword", "chief@example.jp"}, {"CXWhiteCheckReturnPath", false}});
    Click("ButtonWhiteUpd");
    EXPECT_EQ(Row("LVWhite", 0), QStringList({"From", "chief@example.jp", "No", ""}));
    EXPECT_EQ(Rows("LVWhite"), 3);

    // Deleting the last row selects the new last row and shows it.
    Select("LVWhite", 2);
    Click("ButtonWhiteDel");
    ASSERT_EQ(Rows("LVWhite"), 2);
    EXPECT_EQ(Find<QTreeWidget>("LVWhite")->currentItem(),
              Find<QTreeWidget>("LVWhite")->topLevelItem(1));
    EXPECT_EQ(Find<QLineEdit>("EditWhiteKeyword")->text(), "a, \"b\" c");
    EXPECT_TRUE(Find<QCheckBox>("CXWhiteRegular")->isChecked());

    Ok();
    EXPECT_EQ(Form().result(), TMarrowFilterForm::ResultOK);
    EXPECT_EQ(Rules("sender1.cgi"), "chief@example.jp,0,0,0,1\r\n\"a, \"\"b\"\" c\",1,1,0,0\r\n");
}

// Each other list tab: two rules added, the first updated, the second deleted.
struct TabCase {
    const char* Short; // White, Black ... as in the control names
    const char* File;
    std::vector<TField> First, Second, Update;
    QStringList UpdatedRow;
    std::string Saved;
};

void PrintTo(const TabCase& c, std::ostream* os) {
    *os << c.Short;
}

class FilterFormTabs : public FilterForm, public ::testing::WithParamInterface<TabCase> {};

TEST_P(FilterFormTabs, AddUpdateDelete) {
    const TabCase& c = GetParam();
    const std::string lv = std::string("LV") + c.Short;
    const std::string add = std::string("Button") + c.Short + "Add";
    const std::string del = std::string("Button") + c.Short + "Del";
    const std::string upd = std::string("Button") + c.Short + "Upd";
    for (const auto* fields : {&c.First, &c.Second}) {
        for (const TField& field : *fields)
            Set(field);
        Click(add.c_str());
    }
    ASSERT_EQ(Rows(lv.c_str()), 2);
    Select(lv.c_str(), 0);
    for (const TField& field : c.Update)
        Set(field);
    Click(upd.c_str());
    EXPECT_EQ(Row(lv.c_str(), 0), c.UpdatedRow);
    Select(lv.c_str(), 1);
    Click(del.c_str());
    EXPECT_EQ(Rows(lv.c_str()), 1);
    Ok();
    EXPECT_EQ(Rules(c.File), c.Saved);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FilterFormTabs,
    ::testing::Values(
        TabCase{"Black",
                "sender2.cgi",
                {{"EditBlackKeyword", "spam@"}, {"CXBlackCheckFrom", true}},
                {{"EditBlackKeyword", "ads@"}},
                {{"EditBlackKeyword", "^bulk"}, {"CXBlackRegular", true}},
                {"From", "^bulk", "Yes", ""},
                "^bulk,1,0,0,1\r\n"},
        TabCase{"Subject",
                "subject.cgi",
                {{"EditSubjectKeyword", "未承諾広告"}, {"CXSubjectCaseless", true}},
                {{"EditSubjectKeyword", "free"}},
                {{"EditSubjectKeyword", "free money"}},
                {"free money", "No", Q("区別しない")},
                "\"free money\",0,1\r\n"},
        TabCase{"Host",
                "host.cgi",
                {{"EditHostKeyword", "spam.example"}},
                {{"EditHostKeyword", "bad.example"}},
                {{"CXHostRegular", true}},
                {"spam.example", "Yes", ""},
                "spam.example,1,0\r\n"},
        TabCase{"Mailer",
                "mailer.cgi",
                {{"EditMailerKeyword", "Bulk"}},
                {{"EditMailerKeyword", "Mass"}},
                {{"EditMailerKeyword", "Bulk Mailer"}},
                {"Bulk Mailer", "No", ""},
                "\"Bulk Mailer\",0,0\r\n"},
        TabCase{"Header",
                "header.cgi",
                {{"EditHeaderName", "X-Spam-Flag"}, {"EditHeaderKeyword", "YES"}},
                {{"EditHeaderName", "X-Mailer|X-Library"}, {"EditHeaderKeyword", "a,b"}},
                {{"EditHeaderKeyword", "yes"}, {"CXHeaderCaseless", true}},
                {"X-Spam-Flag", "yes", "No", Q("区別しない")},
                "X-Spam-Flag,yes,0,1\r\n"},
        TabCase{"Body",
                "body.cgi",
                {{"EditBodyKeyword", "本文"}},
                {{"EditBodyKeyword", "pills"}},
                {{"EditBodyKeyword", "広告"}, {"CXBodyCaseless", true}},
                {Q("広告"), "No", Q("区別しない")},
                Cp("広告") + ",0,1\r\n"},
        // Octets are read as the user typed them: 010 is ten.
        TabCase{"IP",
                "ip.cgi",
                {{"EditIPAddress", "010.001.002.000"}, {"EditIPMask", "255.255.255.0"}},
                {{"EditIPAddress", "192.168.0.1"}},
                {{"EditIPMask", "255.255.0.0"}},
                {"10.1.2.0", "255.255.0.0"},
                "10.1.2.0,255.255.0.0\r\n"}),
    [](const ::testing::TestParamInfo<TabCase>& info) { return std::string(info.param.Short); });

TEST_F(FilterForm, RefusedInputsNameTheFieldAndChangeNothing) {
    struct Case {
        int Tab;
        std::vector<TField> Fields;
        const char* Button;
        const char* Focused;
        const char* Message;
    } cases[] = {
        {0,
         {{"EditWhiteKeyword", ""}, {"CXWhiteRegular", true}},
         "ButtonWhiteAdd",
         "EditWhiteKeyword",
         "ｷｰﾜｰﾄﾞは 1 文字以上を入力してください"},
        {6,
         {{"EditHeaderName", ""}, {"EditHeaderKeyword", "x"}},
         "ButtonHeaderAdd",
         "EditHeaderName",
         "ﾍｯﾀﾞは 1 文字以上を入力してください"},
        {3,
         {{"EditIPAddress", "192.168.0"}},
         "ButtonIPAdd",
         "EditIPAddress",
         "ﾈｯﾄﾜｰｸｱﾄﾞﾚｽは 192.168.0.1 のようなIPｱﾄﾞﾚｽを指定してください"},
        {3,
         {{"EditIPAddress", "10.0.0.0"}, {"EditIPMask", "255.255.255.256"}},
         "ButtonIPAdd",
         "EditIPMask",
         "ﾈｯﾄﾏｽｸの各ｵｸﾃｯﾄは 0～255 の範囲で指定してください"},
        {8,
         {{"EditAttach", "x"}, {"EditAttach", ""}},
         "ButtonAttachAdd",
         "EditAttach",
         "拡張子は 1 文字以上を入力してください"},
    };
    for (const Case& c : cases) {
        Find<QTabWidget>("PanelFilterBody")->setCurrentIndex(c.Tab);
        for (const TField& field : c.Fields)
            Set(field);
        TMessageBoxAnswer answer;
        answer.Arm(QMessageBox::Ok);
        Click(c.Button);
        EXPECT_TRUE(answer.Seen) << c.Message;
        EXPECT_EQ(answer.Text, Q(c.Message));
        EXPECT_EQ(answer.Title, Q("ﾌｨﾙﾀ設定"));
        EXPECT_EQ(Form().focusWidget(), Find<QWidget>(c.Focused)) << c.Message;
    }
    EXPECT_EQ(Rows("LVWhite") + Rows("LVHeader") + Rows("LVIP") + Lines().size(), 0);
}

// A pattern that does not compile is stored only when the user says so.
TEST_F(FilterForm, PatternThatDoesNotCompileIsAskedAbout) {
    Find<QTabWidget>("PanelFilterBody")->setCurrentIndex(2);
    Set({{"EditSubjectKeyword", "(未承諾"}, {"CXSubjectRegular", true}});
    TMessageBoxAnswer no;
    no.Arm(QMessageBox::No);
    Click("ButtonSubjectAdd");
    ASSERT_TRUE(no.Seen);
    EXPECT_NE(no.Text.indexOf(Q("ｷｰﾜｰﾄﾞの正規表現に誤りがあります")), -1) << no.Text.toStdString();
    EXPECT_NE(no.Text.indexOf("missing closing parenthesis (" + Q("位置") + " 4)"), -1)
        << no.Text.toStdString();
    EXPECT_EQ(Rows("LVSubject"), 0);
    // The input is still pending, to be corrected in place.
    EXPECT_EQ(Form().focusWidget(), Find<QWidget>("EditSubjectKeyword"));
    EXPECT_EQ(Find<QLineEdit>("EditSubjectKeyword")->cursorPosition(), 4);
    TMessageBoxAnswer yes;
    yes.Arm(QMessageBox::Yes);
    Click("ButtonSubjectAdd");
    EXPECT_TRUE(yes.Seen);
    EXPECT_EQ(Rows("LVSubject"), 1);

    // Without the box checked the keyword is literal and nothing is asked.
    Set({{"EditSubjectKeyword", "(ad)"}, {"CXSubjectRegular", false}});
    Click("ButtonSubjectAdd");
    // A header name and an extension are patterns whatever the box says.
    Set({{"EditHeaderName", "X-(Spam"}, {"EditHeaderKeyword", "YES"}});
    TMessageBoxAnswer header;
    header.Arm(QMessageBox::No);
    Click("ButtonHeaderAdd");
    EXPECT_NE(header.Text.indexOf(Q("ﾍｯﾀﾞの正規表現")), -1) << header.Text.toStdString();
    Set({{"EditAttach", ".ex)e"}});
    TMessageBoxAnswer attach;
    attach.Arm(QMessageBox::No);
    Click("ButtonAttachAdd");
    EXPECT_NE(attach.Text.indexOf("unmatched closing parenthesis (" + Q("位置") + " 3)"), -1)
        << attach.Text.toStdString();
    EXPECT_EQ(Rows("LVHeader") + Lines().size(), 0);
    Ok();
    EXPECT_EQ(Rules("subject.cgi"), Cp("(未承諾") + ",1,0\r\n(ad),0,0\r\n");
}

TEST_F(FilterForm, AttachmentTabIgnoresAnExtensionListedInAnyCase) {
    WriteRules("attach.cgi", "scr\r\n");
    Set({{"EditAttach", "Exe"}});
    Click("ButtonAttachAdd");
    EXPECT_EQ(Lines(), QStringList({"scr", "exe"})); // shown in lower case
    for (const char* again : {"EXE", "exe", ".SCR"}) {
        Set({{"EditAttach", again}});
        Click("ButtonAttachAdd");
    }
    Set({{"EditAttach", ".com"}}); // the dot a user may type is no part of the extension
    Click("ButtonAttachAdd");
    EXPECT_EQ(Lines(), QStringList({"scr", "exe", "com"}));
    Find<QListWidget>("LBAttach")->setCurrentRow(0);
    Click("ButtonAttachDel");
    EXPECT_EQ(Lines(), QStringList({"exe", "com"}));
    EXPECT_EQ(Find<QListWidget>("LBAttach")->currentRow(), 0);
    EXPECT_TRUE(Find<QListWidget>("LBAttach")->currentItem()->isSelected());
    Ok();
    EXPECT_EQ(Rules("attach.cgi"), "Exe\r\ncom\r\n");
    // Shown again, the list shows the extensions as stored.
    Form();
    EXPECT_EQ(Lines(), QStringList({"Exe", "com"}));
}

// Cancel, Esc and the title bar leave every file byte for byte; the next
// showing shows the files again.
TEST_F(FilterForm, CancelWritesNothing) {
    const std::string handWritten = "old,1,1"; // no line end
    WriteRules("subject.cgi", handWritten);
    for (auto close :
         {+[](TMarrowFilterForm& f) { f.findChild<QPushButton*>("CancelBtn")->click(); },
          +[](TMarrowFilterForm& f) { QTest::keyClick(&f, Qt::Key_Escape); },
          +[](TMarrowFilterForm& f) { f.close(); }}) {
        Set({{"EditSubjectKeyword", "new"}});
        Click("ButtonSubjectAdd");
        ASSERT_EQ(Rows("LVSubject"), 2);
        close(Form());
        EXPECT_FALSE(form->isVisible());
        EXPECT_EQ(form->result(), TMarrowFilterForm::ResultCancel);
        EXPECT_EQ(Rules("subject.cgi"), handWritten);
        for (const char* file : RuleFiles)
            if (std::string(file) != "subject.cgi") {
                EXPECT_EQ(Rules(file), "<missing>") << file;
            }
        EXPECT_EQ(Rows("LVSubject"), 1); // shown again from the file
        EXPECT_EQ(Row("LVSubject", 0)[0], "old");
    }
}

TEST_F(FilterForm, OkWithoutChangesRewritesAllNine) {
    WriteRules("sender1.cgi", "friend@x.jp,0,1\r\n"); // an older three-field line
    Ok();
    EXPECT_EQ(Rules("sender1.cgi"), "friend@x.jp,0,1,0,0\r\n");
    for (const char* file : RuleFiles)
        if (std::string(file) != "sender1.cgi") {
            EXPECT_EQ(Rules(file), "") << file;
        }
}

// A file that cannot be written is reported with its path and the reason;
// the other files are written all the same.
TEST_F(FilterForm, FailedSaveIsReportedAndTheOthersAreWritten) {
    ASSERT_TRUE(platform::ForceDirectories(Cgi() + "host.cgi/blocked"));
    Set({{"EditSubjectKeyword", "ad"}});
    Click("ButtonSubjectAdd");
    TMessageBoxAnswer answer;
    answer.Arm(QMessageBox::Ok);
    Ok();
    ASSERT_TRUE(answer.Seen);
    EXPECT_EQ(answer.Icon, QMessageBox::Critical);
    EXPECT_NE(answer.Text.indexOf(Cp932ToQString(Cgi() + "host.cgi: ")), -1)
        << answer.Text.toStdString();
    EXPECT_NE(answer.Text.indexOf("Is a directory"), -1) << answer.Text.toStdString();
    EXPECT_EQ(answer.Text.indexOf("subject.cgi"), -1);
    EXPECT_EQ(Rules("subject.cgi"), "ad,0,0\r\n");
    EXPECT_EQ(Rules("body.cgi"), "");
}

// Lines the lists cannot read are named when the dialog opens: OK drops them.
TEST_F(FilterForm, UnreadableLinesAreNamedWhenShown) {
    WriteRules("ip.cgi", "10.0.0.0,255.0.0.0\r\n10.1.0.0\r\n");
    Form();
    TMessageBoxAnswer answer; // armed after the dialog's own report is due
    answer.Arm(QMessageBox::Ok);
    QTest::qWait(50);
    ASSERT_TRUE(answer.Seen);
    EXPECT_NE(answer.Text.indexOf(Cp932ToQString(Cgi() + "ip.cgi:2: 10.1.0.0")), -1)
        << answer.Text.toStdString();
    EXPECT_EQ(Rows("LVIP"), 1);
}

TEST_F(FilterForm, UpdateWithoutASelectedRowDoesNothing) {
    WriteRules("mailer.cgi", "Bulk,0,1\r\n");
    Set({{"EditMailerKeyword", "Other"}});
    QPushButton* update = Find<QPushButton>("ButtonMailerUpd");
    update->setEnabled(true); // as if the idle handler had not run yet
    update->click();
    EXPECT_EQ(Row("LVMailer", 0), QStringList({"Bulk", "No", Q("区別しない")}));
    EXPECT_EQ(Rows("LVMailer"), 1);
    Ok();
    EXPECT_EQ(Rules("mailer.cgi"), "Bulk,0,1\r\n");
}

// Rules written by hand in the documented format, by the dialog and by the
// tool read back the same: quoted keywords with blanks, commas and quotes,
// Japanese keywords, every kind's fields.
TEST_F(FilterForm, HandToolAndDialogAgreeOnTheFiles) {
    const std::pair<const char*, std::string> files[] = {
        {"sender1.cgi", Cp("\"山田 太郎\",0,1,0,1\r\n\"a, \"\"b\"\" c\",1,0,1,1\r\n")},
        {"subject.cgi", Cp("未承諾広告,0,1\r\n")},
        {"ip.cgi", "10.0.0.0,255.0.0.0\r\n"},
        {"header.cgi", "X-Spam-Flag,YES,0,1\r\n"},
        {"attach.cgi", "exe\r\n"},
    };
    for (const auto& [file, bytes] : files)
        WriteRules(file, bytes);
    std::ostringstream out, err;
    ASSERT_EQ(RunTool({"rules", "--folder", Folder()}, out, err), 0) << err.str();
    // The tool's lines carry the dialog's row texts after the list and number.
    QStringList rows;
    for (const char* list : {"LVWhite", "LVSubject", "LVIP", "LVHeader"})
        for (int i = 0; i < Rows(list); ++i)
            rows << Row(list, i).join('\t');
    rows << Lines();
    QStringList listed = QString::fromStdString(out.str()).split('\n', Qt::SkipEmptyParts);
    for (QString& line : listed)
        line = line.section('\t', 2);
    EXPECT_EQ(listed, rows);
    Ok();
    for (const auto& [file, bytes] : files)
        EXPECT_EQ(Rules(file), bytes) << file;

    QTemporaryDir other;
    const std::string folder = QStringToCp932(other.path());
    const std::vector<TToolArgs> adds = {
        {"white", "add", "山田 太郎", "--caseless", "--from"},
        {"white", "add", "a, \"b\" c", "--regex", "--return-path", "--from"},
        {"subject", "add", "未承諾広告", "--caseless"},
        {"ip", "add", "10.0.0.0", "--mask", "255.0.0.0"},
        {"header", "add", "X-Spam-Flag", "YES", "--caseless"},
        {"attach", "add", "exe"},
    };
    for (TToolArgs args : adds) {
        args.insert(args.begin(), {"rules", "--folder", folder});
        EXPECT_EQ(RunTool(args, out, err), 0) << err.str();
    }
    for (const auto& [file, bytes] : files)
        EXPECT_EQ(platform::ReadFile(folder + "/cgi/" + file).value_or(""), bytes) << file;
}
