// The filter dialog from the main window: a rule confirmed with OK judges
// the next message without a restart; one left with Cancel does not.
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "message/multipartmessage.h"
#include "tests/app/formfixture.h"
#include "ui/marrowfilterform.h"

namespace {

// While the dialog runs modally: a subject rule typed and added, then the
// dialog left by the button.
void AddSubjectRuleThenPress(TMarrowFilterForm& dialog, const char* keyword, const char* button,
                             bool& sawDialogOpen, TMarrowbyFormAccess access) {
    QTimer::singleShot(0, &dialog, [&dialog, keyword, button, &sawDialogOpen, access]() mutable {
        sawDialogOpen = access.DialogOpen();
        auto* edit = dialog.findChild<QLineEdit*>("EditSubjectKeyword");
        edit->selectAll();
        edit->insert(keyword);
        dialog.AppIdle();
        dialog.findChild<QPushButton*>("ButtonSubjectAdd")->click();
        dialog.findChild<QPushButton*>(button)->click();
    });
}

} // namespace

TEST_F(FormTest, FilterDialogOkReachesTheVerdictAtOnce) {
    auto form = ShownForm();
    TMarrowbyFormAccess access{*form};
    TMarrowFilterForm dialog(Folder(), form.get());
    form->SetDialogs(&dialog, nullptr);
    TMultipartMessage message;
    message.Create("From: a@example.jp\r\nSubject: win a prize\r\n\r\nbody\r\n");
    std::string comment;
    EXPECT_FALSE(access.FilterMessage(comment, message));

    bool open = false;
    AddSubjectRuleThenPress(dialog, "prize", "CancelBtn", open, access);
    form->ButtonFilterClick();
    EXPECT_TRUE(open);
    EXPECT_FALSE(access.DialogOpen());
    EXPECT_FALSE(access.FilterMessage(comment, message));

    AddSubjectRuleThenPress(dialog, "prize", "OKBtn", open, access);
    form->ButtonFilterClick();
    EXPECT_TRUE(access.FilterMessage(comment, message));
    EXPECT_EQ(comment, Cp("件名(prize)"));
}
