// The exchange as a whole: upload, download in index order with the first
// refusal, the modification test, the three events and the error box.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

#include "tests/ui/ddxtesthelp.h"
#include "ui/ddx.h"

namespace {

// A form with three bound edits: two integers and a text.
class DDXForm : public ::testing::Test {
protected:
    void SetUp() override {
        form.setWindowTitle("Velvane");
        auto* layout = new QVBoxLayout(&form);
        for (auto*& edit : edits) {
            edit = new QLineEdit(&form);
            layout->addWidget(edit);
        }
        ddx.Add(std::make_unique<TDDXInteger>(Cp("ﾒｰﾙﾁｪｯｸ間隔"), edits[0], 5, 60, 1));
        ddx.Add(std::make_unique<TDDXInteger>(Cp("受信可能なﾒｰﾙのｻｲｽﾞ"), edits[1], 2048, 10240, 0));
        ddx.Add(std::make_unique<TDDXString>(Cp("ｴﾃﾞｨﾀ"), edits[2], "vi", 0, 1));
        ddx.Upload();
    }

    QWidget form;
    QLineEdit* edits[3] = {};
    TDDX ddx{&form, "DDX1"};
};

TEST_F(DDXForm, UploadShowsValuesUnmodified) {
    EXPECT_EQ(ddx.Count(), 3);
    EXPECT_EQ(edits[0]->text(), "5");
    EXPECT_EQ(edits[1]->text(), "2048");
    EXPECT_EQ(edits[2]->text(), "vi");
    EXPECT_FALSE(ddx.GetModified());
}

TEST_F(DDXForm, TypingModifiesAndDownloadClears) {
    edits[1]->clear();
    QTest::keyClicks(edits[1], "100");
    EXPECT_TRUE(ddx.GetModified());
    ASSERT_TRUE(ddx.Download(&form));
    EXPECT_EQ(ddx.Items(1).AsInteger(), 100);
    EXPECT_FALSE(ddx.GetModified());
}

TEST_F(DDXForm, FirstRefusalStopsAfterEarlierItemsTookTheirInput) {
    edits[0]->setText("10");
    edits[1]->setText("100");
    edits[2]->setText("");
    edits[0]->setModified(true);
    int errorIndex = -1;
    std::string errorText;
    ddx.OnError = [&](TDDX& sender, int index, bool& result, std::string& msg) {
        EXPECT_EQ(&sender, &ddx);
        EXPECT_FALSE(result);
        errorIndex = index;
        errorText = msg;
    };
    EXPECT_FALSE(ddx.Download(&form));
    EXPECT_EQ(errorIndex, 2);
    EXPECT_EQ(errorText, Cp("ｴﾃﾞｨﾀは 1 文字以上を入力してください"));
    EXPECT_EQ(ddx.Items(0).AsInteger(), 10);
    EXPECT_EQ(ddx.Items(1).AsInteger(), 100);
    EXPECT_FALSE(edits[0]->isModified());
    EXPECT_EQ(ddx.Items(2).AsString(), "vi");
}

TEST_F(DDXForm, ValidationEventReplacesTheItemsChecks) {
    edits[0]->setText("abc");
    std::vector<int> asked;
    ddx.OnValidation = [&](TDDX&, int index, bool& result, std::string&) {
        EXPECT_TRUE(result);
        asked.push_back(index);
    };
    EXPECT_TRUE(ddx.Download(&form));
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ddx.Items(0).AsInteger(), 5); // not a number: the value stays
}

TEST_F(DDXForm, TestModifyEventDecidesForEachItem) {
    std::vector<int> asked;
    ddx.OnTestModify = [&](TDDX&, int index, bool& result, std::string&) {
        asked.push_back(index);
        result = index == 1;
    };
    EXPECT_TRUE(ddx.GetModified());
    EXPECT_EQ(asked, (std::vector<int>{0, 1}));
}

TEST_F(DDXForm, DefaultErrorBoxTitledWithTheFormsCaptionThenFocus) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    edits[0]->setText("0");
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->accept();
    });
    EXPECT_FALSE(ddx.Download(&form));
    EXPECT_EQ(title, "Velvane");
    EXPECT_EQ(text, Q("ﾒｰﾙﾁｪｯｸ間隔は 1 以上の値を入力してください"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    form.activateWindow();
    QTest::qWait(1);
    EXPECT_TRUE(edits[0]->hasFocus());
}

TEST(DDX, CheckBoxItemsInTheExchange) {
    QWidget form;
    QCheckBox box(&form);
    TDDX ddx(&form);
    ddx.Add(std::make_unique<TDDXCheckBox>(Cp("新着ﾒｰﾙのﾁｪｯｸ"), &box, false));
    ddx.Upload();
    EXPECT_FALSE(ddx.GetModified());
    box.setChecked(true);
    EXPECT_TRUE(ddx.GetModified());
    ASSERT_TRUE(ddx.Download(&form));
    EXPECT_TRUE(ddx.Items(0).AsBoolean());
    EXPECT_FALSE(ddx.GetModified());
}

} // namespace
