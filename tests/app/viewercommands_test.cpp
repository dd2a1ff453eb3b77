// The viewer's commands: opening a private copy of the message (with the
// question that applies first), the editor, saving a part, the save folder
// and the editor picker; each failure tells the user what failed.
#include <QDesktopServices>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <sys/stat.h>
#include <unistd.h>

#include "app/viewerparts.h"
#include "filter/messagefilterattach.h"
#include "message/multipartmessage.h"
#include "viewerfixture.h"

namespace {

// Stands in for the desktop: keeps every local file it is asked to open.
class TDesktop : public QObject {
    Q_OBJECT
public:
    TDesktop() { QDesktopServices::setUrlHandler("file", this, "Open"); }
    ~TDesktop() override { QDesktopServices::unsetUrlHandler("file"); }
    QStringList Opened;

public slots:
    void Open(const QUrl& url) { Opened << url.toLocalFile(); }
};

std::string ReadNative(const QString& path) {
    return platform::ReadFile(QStringToCp932(path)).value_or("<missing>");
}

} // namespace

TEST(OpenWarning, FirstThatAppliesWins) {
    const std::string htmlAndZip = "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
                                   "--b\r\nContent-Type: text/html\r\n\r\n<p>x</p>\r\n"
                                   "--b\r\nContent-Type: application/zip; name=\"a.zip\"\r\n"
                                   "Content-Transfer-Encoding: base64\r\n\r\nUEsDBA==\r\n--b--\r\n";
    const std::string htmlOnly = "Content-Type: text/html\r\n\r\n<p>x</p>\r\n";
    const std::string binaryOnly = "Content-Type: application/octet-stream\r\n\r\nAAAA\r\n";
    struct Case {
        std::string text;
        const char* flagged; // extension in the attachment list, or none
        TOpenWarning warning;
    } cases[] = {
        {htmlAndZip, "zip", TOpenWarning::Program},  {htmlAndZip, nullptr, TOpenWarning::Html},
        {htmlOnly, "zip", TOpenWarning::Html},       {binaryOnly, "exe", TOpenWarning::Binary},
        {PlainMessage, nullptr, TOpenWarning::None},
    };
    for (const Case& c : cases) {
        TMessageFilters attach;
        if (c.flagged) attach.Add(std::make_unique<TMessageFilterAttach>(&attach, c.flagged));
        TMultipartMessage message;
        message.Create(c.text);
        EXPECT_EQ(ChooseOpenWarning(attach, message), c.warning) << c.text;
    }
}

TEST(SaveName, OnlyTheFileNamePartIsProposed) {
    const struct {
        std::string from, proposed;
    } cases[] = {
        {"report.pdf", "report.pdf"},
        {"../../.bashrc", ".bashrc"},
        {"/etc/passwd", "passwd"},
        {"C:\\Windows\\evil.exe", "evil.exe"},
        {"dir/", ""},
        {"..", ""},
        {". .", ""},
        {Cp("表計算.xls"), Cp("表計算.xls")}, // 表 ends in the byte of "\"
        {Cp("..\\ソフト.txt"), Cp("ソフト.txt")},
        {"a\tb\x7f.txt", "a_b_.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripFolders(c.from), c.proposed) << c.from;
}

TEST_F(ViewerTest, OpenAsksFirstThenHandsACopyToTheDesktop) {
    ASSERT_TRUE(platform::ForceDirectories(Folder() + "cgi"));
    ASSERT_TRUE(platform::WriteFile(Folder() + "cgi/attach.cgi", "png\r\n"));
    auto form = ShownForm(false);
    TDesktop desktop;
    SelectUid(*form, "u-jp");
    const auto index = platform::ReadFile(inbox + "messages.idx");
    ASSERT_TRUE(index);

    TMessageBoxAnswer no;
    no.Arm(QMessageBox::No);
    form->ButtonOpenClick();
    ASSERT_TRUE(no.Seen);
    EXPECT_EQ(no.Title, form->windowTitle());
    EXPECT_EQ(no.Icon, QMessageBox::Question);
    EXPECT_TRUE(no.Text.startsWith(QString::fromUtf8("このﾒｯｾｰｼﾞにはﾌﾟﾛｸﾞﾗﾑが含まれています\n")));
    EXPECT_TRUE(desktop.Opened.isEmpty());
    EXPECT_TRUE(platform::FindFiles(Folder() + "Temp", ".eml").empty());

    TMessageBoxAnswer yes;
    yes.Arm(QMessageBox::Yes);
    form->ButtonOpenClick();
    ASSERT_TRUE(yes.Seen);
    ASSERT_EQ(desktop.Opened.size(), 1);
    EXPECT_EQ(desktop.Opened[0],
              QString::fromStdString(Folder()) + QString::fromUtf8("Temp/会議の資料について.eml"));
    EXPECT_EQ(ReadNative(desktop.Opened[0]), AppTestData("viewer.eml"));
    struct stat st {};
    ASSERT_EQ(stat(desktop.Opened[0].toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // The stored message and its index are as they were.
    EXPECT_EQ(platform::ReadFile(inbox + "kaigi.eml"), AppTestData("viewer.eml"));
    EXPECT_EQ(platform::ReadFile(inbox + "messages.idx"), index);

    // The copies go when the program ends.
    form.reset();
    EXPECT_TRUE(platform::FindFiles(Folder() + "Temp", ".eml").empty());
}

TEST_F(ViewerTest, EditorStartsWithThePathOfTheCopy) {
    const std::string script = Folder() + "editor.sh";
    ASSERT_TRUE(platform::WriteFile(
        script, "#!/bin/sh\npwd > \"$0.cwd\"\nprintf '%s' \"$1\" > \"$0.arg\"\n", 0755));
    auto form = ShownForm(false);
    TMarrowbyFormAccess{*form}.Editor() = script;
    SelectUid(*form, "u-plain");
    form->ButtonEditorClick();
    // The script writes the folder first, then its argument.
    ASSERT_TRUE(
        ProcessUntil([&] { return !platform::ReadFile(script + ".arg").value_or("").empty(); }));
    const std::string argument = *platform::ReadFile(script + ".arg");
    EXPECT_EQ(argument, Folder() + "Temp/plain.eml");
    EXPECT_EQ(platform::ReadFile(argument), PlainMessage);
    EXPECT_EQ(platform::ReadFile(script + ".cwd"), Folder() + "Temp\n");
}

// The temporary copy, the desktop and the editor each say what failed.
TEST_F(ViewerTest, FailuresOfCopyDesktopAndEditorAreReported) {
    const struct {
        std::function<void(TMarrowbyForm&)> Prepare;
        void (TMarrowbyForm::*Command)();
        const char* First; // the first line
        QString Detail;
    } cases[] = {
        {[](TMarrowbyForm&) {}, // the offscreen desktop opens nothing
         &TMarrowbyForm::ButtonOpenClick, "開けません", "Temp/plain.eml"},
        {[this](TMarrowbyForm& form) {
             TMarrowbyFormAccess{form}.Editor() = Folder() + "no-such-editor";
         },
         &TMarrowbyForm::ButtonEditorClick, "ｴﾃﾞｨﾀを起動できません\n", "no-such-editor"},
        {[this](TMarrowbyForm&) { // last: the folder Temp becomes a file
             ASSERT_EQ(rmdir((Folder() + "Temp").c_str()), 0);
             ASSERT_TRUE(platform::WriteFile(Folder() + "Temp", "not a folder"));
         },
         &TMarrowbyForm::ButtonOpenClick, "一時ﾌｧｲﾙを作成できません\n", "Not a directory"},
    };
    for (const auto& c : cases) {
        auto form = ShownForm(false);
        c.Prepare(*form);
        SelectUid(*form, "u-plain"); // no question for a plain message
        TMessageBoxAnswer error;
        error.Arm(QMessageBox::Ok);
        (form.get()->*c.Command)();
        ASSERT_TRUE(error.Seen) << c.First;
        EXPECT_EQ(error.Icon, QMessageBox::Critical);
        EXPECT_TRUE(error.Text.startsWith(QString::fromUtf8(c.First))) << error.Text.toStdString();
        EXPECT_TRUE(error.Text.contains(c.Detail)) << error.Text.toStdString();
    }
}

TEST_F(ViewerTest, SaveWritesDecodedBytesOrConvertedText) {
    auto form = ShownForm(false);
    TMarrowbyFormAccess access{*form};
    const std::string target = Folder() + "saved/";
    ASSERT_TRUE(platform::ForceDirectories(target));
    SelectUid(*form, "u-jp");

    form->TVMultipart->setCurrentItem(Node(*form, "image/png"));
    QString proposed, startFolder;
    OnModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "SaveDialog1");
        EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog.selectedNameFilter(), QString::fromUtf8("すべてのﾌｧｲﾙ (*)"));
        startFolder = dialog.directory().absolutePath();
        proposed = QFileInfo(dialog.selectedFiles().value(0)).fileName();
        dialog.selectFile(QString::fromStdString(target) + "image.png");
        static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, checks included
    });
    form->ButtonSaveClick();
    EXPECT_EQ(startFolder + "/", QString::fromStdString(Folder()));
    EXPECT_EQ(proposed, QString::fromUtf8("表計算グラフ.png"));
    EXPECT_EQ(platform::ReadFile(target + "image.png"), ViewerImageBytes());
    EXPECT_EQ(access.SaveFolder(), target);

    form->TVMultipart->setCurrentItem(Node(*form, "text/plain"));
    OnModal<QFileDialog>([&](QFileDialog& dialog) {
        startFolder = dialog.directory().absolutePath();
        dialog.selectFile(QString::fromStdString(target) + "body.txt");
        static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, checks included
    });
    form->ButtonSaveClick();
    EXPECT_EQ(startFolder + "/", QString::fromStdString(target)); // the folder followed
    EXPECT_EQ(platform::ReadFile(target + "body.txt"),
              Cp("明日の会議の資料を送ります。\r\nグラフは添付の画像です。"));
}

TEST_F(ViewerTest, SaveThatFailsIsReportedAndKeepsTheFolder) {
    // The chosen name leads into a folder that does not exist.
    const std::string target = Folder() + "broken.png";
    ASSERT_EQ(symlink((Folder() + "gone/part.png").c_str(), target.c_str()), 0);
    auto form = ShownForm(false);
    TMarrowbyFormAccess access{*form};
    const std::string before = access.SaveFolder();
    SelectUid(*form, "u-jp");
    form->TVMultipart->setCurrentItem(Node(*form, "image/png"));
    TMessageBoxAnswer error;
    OnModal<QFileDialog>([&](QFileDialog& dialog) {
        dialog.selectFile(QString::fromStdString(target));
        error.Arm(QMessageBox::Ok);
        static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, checks included
    });
    form->ButtonSaveClick();
    ASSERT_TRUE(error.Seen);
    EXPECT_EQ(error.Icon, QMessageBox::Critical);
    EXPECT_TRUE(error.Text.startsWith(QString::fromUtf8("保存できません\n") +
                                      QString::fromStdString(target) + "\n"))
        << error.Text.toStdString();
    EXPECT_EQ(access.SaveFolder(), before);
}

TEST_F(ViewerTest, FolderButtonShowsTheSaveFolder) {
    auto form = ShownForm(false);
    TDesktop desktop;
    form->ButtonFolderClick();
    ASSERT_EQ(desktop.Opened.size(), 1);
    EXPECT_EQ(desktop.Opened[0], QString::fromStdString(Folder()));
}

TEST_F(ViewerTest, EditorPickerFillsTheSettingUntilItIsSaved) {
    const std::string program = Folder() + "bin/myeditor";
    ASSERT_TRUE(platform::ForceDirectories(Folder() + "bin"));
    ASSERT_TRUE(platform::WriteFile(program, "#!/bin/sh\n", 0755));
    ASSERT_TRUE(platform::WriteFile(Folder() + "bin/notes.txt", "x"));
    auto form = ShownForm(false);
    form->EditEditor->setText(QString::fromStdString(Folder()) + "bin/old");
    QStringList filters, shown;
    QString startFolder;
    OnModal<QFileDialog>([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "OpenDialog1");
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ｴﾃﾞｨﾀ"));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        filters = dialog.nameFilters();
        EXPECT_EQ(dialog.selectedNameFilter(), filters.value(0));
        startFolder = dialog.directory().absolutePath();
        dialog.selectNameFilter(filters.value(1));
        emit dialog.filterSelected(filters.value(1));
        EXPECT_TRUE(dialog.filter() & QDir::Executable);
        dialog.selectFile(QString::fromStdString(program));
        static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, checks included
    });
    form->SpeedButton1->click();
    EXPECT_EQ(filters, QStringList({QString::fromUtf8("すべてのﾌｧｲﾙ (*)"),
                                    QString::fromUtf8("実行ﾌｧｲﾙ (*)")}));
    EXPECT_EQ(startFolder, QString::fromStdString(Folder()) + "bin");
    EXPECT_EQ(form->EditEditor->text(), QString::fromStdString(program));
    EXPECT_TRUE(TMarrowbyFormAccess{*form}.Editor().empty());
    form->AppIdle();
    EXPECT_TRUE(form->ButtonSaveSetup->isEnabled());
}

#include "viewercommands_test.moc"
