// The viewer of the message page: a selected row fills every page from its
// file, the part tree chooses the part on show, the route's buttons copy a
// hop, and the idle rule enables the commands.
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextLayout>
#include <QTreeWidget>

#include "app/listimages.h"
#include "viewerfixture.h"

namespace {

QString Text(const QLineEdit* edit) {
    return edit->text();
}

QString Text(const QPlainTextEdit* memo) {
    return memo->toPlainText();
}

QStringList RowTexts(const QTreeWidgetItem* row) {
    QStringList texts;
    for (int column = 0; column < row->columnCount(); ++column)
        texts << row->text(column);
    return texts;
}

bool HasImage(const QTreeWidgetItem* node, int image) {
    return node && node->icon(0).cacheKey() == ListImage(image).cacheKey();
}

} // namespace

TEST_F(ViewerTest, SelectingARowFillsEveryPage) {
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    EXPECT_EQ(Text(form->EditSubject), QString::fromUtf8("会議の資料について"));
    EXPECT_EQ(Text(form->EditSender), QString::fromUtf8("山田太郎 <taro@example.jp>"));
    EXPECT_EQ(Text(form->EditDate), "2004/07/05 13:02:00");
    EXPECT_EQ(Text(form->EditRecvDate), "2004/07/05 13:02:03");            // the oldest hop
    EXPECT_EQ(Text(form->MemoTo), "hanako@example.jp,\n jiro@example.jp"); // not unfolded
    EXPECT_EQ(Text(form->MemoCc), QString::fromUtf8("課長 <kacho@example.jp>"));

    ASSERT_EQ(form->LVReceived->topLevelItemCount(), 2);
    EXPECT_EQ(RowTexts(form->LVReceived->topLevelItem(0)),
              QStringList({"198.51.100.7", "pc01", "sender.example.net", "2004/07/05 13:02:03"}));
    EXPECT_EQ(RowTexts(form->LVReceived->topLevelItem(1)),
              QStringList({"192.0.2.10", "mx.example.jp", "mx.example.jp", "2004/07/05 13:02:05"}));

    // The tree: every part, expanded, the root chosen and shown.
    ASSERT_EQ(form->TVMultipart->topLevelItemCount(), 1);
    QTreeWidgetItem* root = form->TVMultipart->topLevelItem(0);
    EXPECT_EQ(root->text(0), "multipart/mixed");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "multipart/alternative");
    EXPECT_EQ(root->child(0)->childCount(), 2);
    EXPECT_TRUE(root->isExpanded() && root->child(0)->isExpanded());
    EXPECT_EQ(form->TVMultipart->currentItem(), root);
    EXPECT_TRUE(HasImage(root, ImageMultipart));
    EXPECT_TRUE(HasImage(Node(*form, "text/plain"), ImageText));
    EXPECT_TRUE(HasImage(Node(*form, "text/html"), ImageHtml));
    EXPECT_TRUE(HasImage(Node(*form, "image/png"), ImageBinary));
    EXPECT_EQ(Text(form->EditMime), "multipart/mixed");
    EXPECT_TRUE(Text(form->MemoHeader).startsWith("Received: from mx.example.jp"));
    EXPECT_TRUE(Text(form->MemoBody).isEmpty()); // no preamble

    form->TVMultipart->setCurrentItem(Node(*form, "text/plain"));
    EXPECT_EQ(Text(form->MemoBody),
              QString::fromUtf8("明日の会議の資料を送ります。\nグラフは添付の画像です。"));
    EXPECT_EQ(Text(form->MemoHeader),
              "Content-Type: text/plain; charset=ISO-2022-JP\nContent-Transfer-Encoding: 7bit\n");
    form->TVMultipart->setCurrentItem(Node(*form, "image/png"));
    EXPECT_EQ(Text(form->EditAttach), QString::fromUtf8("表計算グラフ.png"));
    EXPECT_EQ(Text(form->EditMime), "image/png");
    EXPECT_TRUE(Text(form->MemoBody).isEmpty());
}

// Without a font for kanji and kana the text would show as empty boxes, and
// nothing else would tell.
TEST_F(ViewerTest, JapaneseTextHasGlyphsInTheViewersFonts) {
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    form->TVMultipart->setCurrentItem(Node(*form, "text/plain"));
    const std::pair<const QWidget*, QString> shown[] = {
        {form->EditSubject, Text(form->EditSubject)},
        {form->EditSender, Text(form->EditSender)},
        {form->MemoBody, Text(form->MemoBody).section('\n', 0, 0)},
    };
    for (const auto& [widget, text] : shown) {
        ASSERT_FALSE(text.isEmpty());
        QTextLayout layout(text, widget->font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        int glyphs = 0;
        for (const QGlyphRun& run : layout.glyphRuns())
            for (quint32 glyph : run.glyphIndexes()) {
                EXPECT_NE(glyph, 0u)
                    << text.toStdString() << " in " << run.rawFont().familyName().toStdString();
                ++glyphs;
            }
        EXPECT_GE(glyphs, text.size() - 1) << text.toStdString();
    }
}

TEST_F(ViewerTest, PartFlaggedByTheAttachmentListHasItsOwnImage) {
    ASSERT_TRUE(platform::ForceDirectories(Folder() + "cgi"));
    ASSERT_TRUE(platform::WriteFile(Folder() + "cgi/attach.cgi", "png\r\n"));
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    EXPECT_TRUE(HasImage(Node(*form, "image/png"), ImageFlagged));
}

TEST_F(ViewerTest, MessageWithoutCcOrReceivedLeavesThemEmpty) {
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    SelectUid(*form, "u-plain");
    EXPECT_EQ(Text(form->EditSubject), "plain");
    EXPECT_EQ(Text(form->MemoTo), "taro@example.jp");
    EXPECT_TRUE(Text(form->MemoCc).isEmpty());
    EXPECT_TRUE(Text(form->EditRecvDate).isEmpty());
    EXPECT_EQ(form->LVReceived->topLevelItemCount(), 0);
    EXPECT_EQ(Text(form->MemoBody), "hello\n");
    EXPECT_TRUE(HasImage(form->TVMultipart->topLevelItem(0), ImageText));
}

TEST_F(ViewerTest, MissingFileGivesEmptyFields) {
    ASSERT_TRUE(platform::DeleteFile(inbox + "plain.eml"));
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    SelectUid(*form, "u-plain");
    for (const QLineEdit* edit : {form->EditSubject, form->EditSender, form->EditDate,
                                  form->EditRecvDate, form->EditMime, form->EditAttach})
        EXPECT_TRUE(Text(edit).isEmpty()) << edit->objectName().toStdString();
    for (const QPlainTextEdit* memo :
         {form->MemoBody, form->MemoHeader, form->MemoTo, form->MemoCc})
        EXPECT_TRUE(Text(memo).isEmpty()) << memo->objectName().toStdString();
    EXPECT_EQ(form->TVMultipart->topLevelItemCount(), 0);
    EXPECT_EQ(form->LVReceived->topLevelItemCount(), 0);
}

TEST_F(ViewerTest, DeselectionAndSortingKeepTheMessageOnShow) {
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    form->LVMessages->clearSelection();
    EXPECT_EQ(Text(form->EditSubject), QString::fromUtf8("会議の資料について"));
    SelectUid(*form, "u-plain");
    emit form->LVMessages->header()->sectionClicked(0); // the selection moves with its row
    EXPECT_EQ(Text(form->EditSubject), "plain");
    EXPECT_EQ(form->TVMultipart->topLevelItemCount(), 1);
}

TEST_F(ViewerTest, CopyButtonsPutTheChosenHopOnTheClipboard) {
    auto form = ShownForm();
    SelectUid(*form, "u-jp");
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    form->ButtonCopyIPClick(); // no hop chosen yet
    EXPECT_EQ(clipboard->text(), "before");
    form->LVReceived->setCurrentItem(form->LVReceived->topLevelItem(1));
    form->ButtonCopyIPClick();
    EXPECT_EQ(clipboard->text(), "192.0.2.10");
    form->ButtonCopyHostClick();
    EXPECT_EQ(clipboard->text(), "mx.example.jp");
}

TEST_F(ViewerTest, IdleRuleEnablesTheViewerCommands) {
    auto form = ShownForm();
    TMarrowbyFormAccess access{*form};
    auto enabled = [&] {
        form->AppIdle();
        QString states;
        for (const QPushButton* button :
             {form->ButtonOpen, form->ButtonEditor, form->ButtonDelete, form->ButtonSave,
              form->ButtonFolder, form->ButtonCopyIP, form->ButtonCopyHost})
            states += button->isEnabled() ? '1' : '0';
        return states;
    };
    EXPECT_EQ(enabled(), "0000100"); // nothing chosen; the save folder is the program folder
    SelectUid(*form, "u-jp");
    EXPECT_EQ(enabled(), "1011100"); // no editor set
    access.Editor() = "/usr/bin/true";
    EXPECT_EQ(enabled(), "1111100");
    form->LVReceived->setCurrentItem(form->LVReceived->topLevelItem(0));
    EXPECT_EQ(enabled(), "1111111");
    form->LVReceived->currentItem()->setText(2, "");
    EXPECT_EQ(enabled(), "1111110");
    form->TVMultipart->clearSelection();
    access.SaveFolder().clear();
    EXPECT_EQ(enabled(), "1110010");
}

TEST_F(ViewerTest, DeletingTheLastRowShowsTheNewLastRow) {
    auto form = ShownForm();
    SelectUid(*form, "u-plain"); // the older message: the last row
    ASSERT_EQ(form->LVMessages->currentIndex().row(), 1);
    form->ButtonDeleteClick();
    ASSERT_EQ(form->LVMessages->model()->rowCount(), 1);
    EXPECT_TRUE(form->LVMessages->selectionModel()->isSelected(form->LVMessages->currentIndex()));
    EXPECT_EQ(Text(form->EditSubject), QString::fromUtf8("会議の資料について"));
    form->ButtonDeleteClick(); // the only row: nothing left to choose, the viewer stays
    EXPECT_EQ(form->LVMessages->model()->rowCount(), 0);
    EXPECT_FALSE(form->LVMessages->currentIndex().isValid());
    EXPECT_EQ(Text(form->EditSubject), QString::fromUtf8("会議の資料について"));
}
