// The message list of the main window: the inboxes at start-up, the trash
// button, and the order of every column both ways.
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>

#include "app/listimages.h"
#include "app/messagelistmodel.h"
#include "formfixture.h"
#include "foundation/datafile.h"
#include "platform/file.h"
#include "store/messagebox.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"

namespace {

// Column 5 (UID) of every row, top to bottom.
QStringList RowUids(const TMarrowbyForm& form) {
    const QAbstractItemModel* model = form.LVMessages->model();
    QStringList uids;
    for (int row = 0; row < model->rowCount(); ++row)
        uids << model->index(row, TMessageListModel::ColUID).data().toString();
    return uids;
}

QStringList Reversed(QStringList list) {
    std::reverse(list.begin(), list.end());
    return list;
}

} // namespace

class MessageListTest : public FormTest {
protected:
    // Accounts "work" then "home"; three inbox entries and one in the trash.
    void SetUp() override {
        FormTest::SetUp();
        const std::string folder = Folder();
        TPop3AccountList list;
        SetupAccounts(list);
        for (const char* name : {"work", "home"})
            AddInbox(list, name);
        list.GetAccounts(0)->Mailbox.LoadFromStrings(
            {"u-b,b.eml,200,2,text/html,cherry,,2024/05/02,2024/05/02,2024/05/02,,a"});
        list.GetAccounts(1)->Mailbox.LoadFromStrings(
            {"u-c,a.eml,300,0,multipart/mixed,banana,,2024/05/03,2024/05/03,2024/05/03,,b",
             "u-a,c.eml,100,2,text/plain,Apple,,2024/05/01,2024/05/01,2024/05/01,,c"});
        ASSERT_TRUE(list.Save());
        TMessageBox trash;
        SetupDustBox(trash, folder);
        ASSERT_TRUE(platform::ForceDirectories(DustboxFolder(folder)));
        trash.LoadFromStrings({"t-1,s.eml,5,3,application/zip,spam,,2024/05/04,2024/05/04,,,"});
        ASSERT_TRUE(trash.Save());
    }

    void ClickColumn(TMarrowbyForm& form, int column) {
        emit form.LVMessages->header()->sectionClicked(column);
    }
};

TEST_F(MessageListTest, StartUpShowsEveryInboxNewestFirst) {
    auto form = ShownForm();
    TMarrowbyFormAccess access{*form};
    EXPECT_EQ(access.ListMode(), 1);
    EXPECT_EQ(RowUids(*form), QStringList({"u-c", "u-b", "u-a"}));

    const QAbstractItemModel* model = form->LVMessages->model();
    const QString expected[] = {"banana",
                                "300",
                                "2024/05/03",
                                "home",
                                QString::fromStdString(Folder()) + "Msgbox/mbx.home/a.eml",
                                "u-c",
                                "b"};
    for (int column = 0; column < TMessageListModel::ColumnCount; ++column)
        EXPECT_EQ(model->index(0, column).data().toString(), expected[column]) << column;
    EXPECT_EQ(model->index(0, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_FALSE(model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(model->index(0, 1).data(Qt::DecorationRole).isNull());
}

TEST_F(MessageListTest, EachColumnSortsDescendingThenAscending) {
    auto form = ShownForm();
    TMarrowbyFormAccess access{*form};
    const QStringList ascending[TMessageListModel::ColumnCount] = {
        {"u-a", "u-c", "u-b"}, // subject, letter case counts: Apple, banana, cherry
        {"u-a", "u-b", "u-c"}, // size
        {"u-a", "u-b", "u-c"}, // received
        {"u-b", "u-a", "u-c"}, // account order: work, then home by received date
        {"u-c", "u-a", "u-b"}, // file path
        {"u-a", "u-b", "u-c"}, // UID
        {"u-b", "u-c", "u-a"}, // comment
    };
    for (int column = 0; column < TMessageListModel::ColumnCount; ++column) {
        ClickColumn(*form, column); // a new column starts descending
        EXPECT_EQ(access.SortTarget(), column);
        EXPECT_TRUE(access.Descend());
        EXPECT_EQ(RowUids(*form), Reversed(ascending[column])) << column;
        EXPECT_EQ(form->LVMessages->header()->sortIndicatorOrder(), Qt::DescendingOrder);
        ClickColumn(*form, column); // the same column again turns it round
        EXPECT_FALSE(access.Descend());
        EXPECT_EQ(RowUids(*form), ascending[column]) << column;
    }
}

TEST_F(MessageListTest, SavedSortOrderAppliesAtStartUp) {
    SetSetting("sorttarget", 1);
    SetSetting("descend", false);
    auto form = ShownForm();
    EXPECT_EQ(RowUids(*form), QStringList({"u-a", "u-b", "u-c"}));
}

TEST_F(MessageListTest, FolderButtonsSwitchBetweenInboxesAndTrash) {
    auto form = ShownForm();
    TMarrowbyFormAccess access{*form};
    form->ButtonDustFolder->click();
    EXPECT_EQ(access.ListMode(), 2);
    ASSERT_EQ(RowUids(*form), QStringList({"t-1"}));
    const QAbstractItemModel* model = form->LVMessages->model();
    EXPECT_EQ(model->index(0, TMessageListModel::ColAccount).data().toString(),
              QString::fromUtf8("ごみ箱"));
    form->ButtonRecvFolder->click();
    EXPECT_EQ(access.ListMode(), 1);
    EXPECT_EQ(RowUids(*form).size(), 3);
}

TEST_F(MessageListTest, SelectionFollowsItsEntryWhenSorted) {
    auto form = ShownForm();
    QTreeView* list = form->LVMessages;
    list->setCurrentIndex(list->model()->index(2, 0)); // u-a
    ClickColumn(*form, 0);
    const QModelIndex current = list->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(list->model()->index(current.row(), TMessageListModel::ColUID).data().toString(),
              "u-a");
    EXPECT_TRUE(list->selectionModel()->isSelected(current));
}

TEST(MessageListRows, ImagesFollowKindAndType) {
    struct Case {
        std::int8_t kind;
        const char* type;
        int image;
    } cases[] = {
        {0, "multipart/mixed", ImageMultipart},
        {1, "message/rfc822", ImageMessage},
        {2, "text/plain", ImageText},
        {2, "TEXT/HTML", ImageHtml},
        {3, "image/png", ImageBinary},
        {7, "x/y", ImageBinary},
        {-1, "", ImageBinary},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RowImageIndex(c.kind, c.type), c.image) << c.type;
}

TEST(MessageListRows, InsertAndRemoveKeepTheOrderOfTheRest) {
    TMessageBox box;
    box.Caption = "home";
    box.LoadFromStrings({"a", "b"});
    TMessageListModel model;
    model.AppendMailbox(box);
    TMBXItem extra(&box, "new");
    model.Insert(0, &extra);
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.Entry(0), &extra);
    EXPECT_EQ(model.RowOf(box.GetMessages(1)), 2);
    model.Remove(0);
    EXPECT_EQ(model.RowOf(&extra), -1);
    EXPECT_EQ(model.Entry(0), box.GetMessages(0));
    EXPECT_EQ(model.Entry(5), nullptr);
}

TEST_F(MessageListTest, RestructRebuildsEveryIndexAndRefillsTheList) {
    const std::string folder = Folder();
    const std::string text = "Subject: rebuilt\r\n\r\nbody\r\n";
    ASSERT_TRUE(platform::WriteFile(folder + "Msgbox/mbx.work/one.eml", text));
    ASSERT_TRUE(platform::WriteFile(folder + "Dustbox/two.eml", text));
    auto form = ShownForm();
    form->ButtonDustFolder->click();
    form->ButtonRestruct->click();
    TMarrowbyFormAccess access{*form};
    EXPECT_EQ(access.ListMode(), 2);
    const QAbstractItemModel* model = form->LVMessages->model();
    ASSERT_EQ(model->rowCount(), 1);
    EXPECT_EQ(model->index(0, TMessageListModel::ColFileName).data().toString(),
              QString::fromStdString(folder) + "Dustbox/two.eml");
    form->ButtonRecvFolder->click();
    ASSERT_EQ(model->rowCount(), 1); // the old entries had no files
    EXPECT_EQ(model->index(0, TMessageListModel::ColSubject).data().toString(), "rebuilt");
    const std::string uid =
        model->index(0, TMessageListModel::ColUID).data().toString().toStdString();
    EXPECT_NE(uid.find(".0.work,s=" + std::to_string(text.size())), std::string::npos) << uid;
}
