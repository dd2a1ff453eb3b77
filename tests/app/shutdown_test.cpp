// Closing: the questions, what is saved, and the temporary files.
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>

#include "app/serversocket.h"
#include "app/shutdown.h"
#include "platform/listener.h"
#include "tests/app/formfixture.h"

namespace {

const char* const Tail =
    "\r\n"
    "\r\n「はい」をｸﾘｯｸすると作業を続けます"
    "\r\n"
    "\r\n「いいえ」をｸﾘｯｸすると作業を中断し、ただちに終了します"
    "\r\n中断すると受信箱に不整合が起こる恐れがあります"
    "\r\n数分経っても通信ﾛｸﾞに変化がない場合以外は、なるべく作業を続けてください";

TEST(CloseQuestion, Texts) {
    EXPECT_EQ(CloseQuestionText(TCloseReason::ClientsConnected),
              Cp("現在、ｸﾗｲｱﾝﾄに応答中のため、終了できません") + Cp(Tail));
    EXPECT_EQ(CloseQuestionText(TCloseReason::Working),
              Cp("作業中のため、終了できません") + Cp(Tail));
}

TEST_F(FormTest, IdleCloseAsksNothingAndSaves) {
    auto form = ShownForm(false);
    EXPECT_EQ(TMarrowbyFormAccess{*form}.CloseQuestion(), "");
    bool closed = false;
    QObject::connect(form.get(), &TMarrowbyForm::FormClosed, [&] { closed = true; });
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(closed);
    EXPECT_EQ(Setting("checkspan").toInt(), 5);
    EXPECT_FALSE(form->ServerSocket1->GetActive());
}

TEST_F(FormTest, FormDestroyDeletesTemporaryMessages) {
    auto form = MakeForm();
    const QString temp = dir.filePath("Temp");
    for (const char* name : {"a.eml", "件名.eml", "keep.txt"}) {
        QFile file(temp + "/" + QString::fromUtf8(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    form.reset();
    EXPECT_EQ(QDir(temp).entryList(QDir::Files), QStringList{"keep.txt"});
}

TEST_F(FormTest, ListenFailureIsReportedAndTheProgramRunsOn) {
    platform::TListener blocker([](std::unique_ptr<platform::TSocket>) {});
    ASSERT_TRUE(blocker.Open("0.0.0.0", 0));
    TMarrowbyForm form(TAppOptions{Folder(), blocker.GetPort(), true});
    testing::internal::CaptureStderr();
    form.FormShow();
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(form.ServerSocket1->GetActive());
    EXPECT_NE(error.find(std::to_string(blocker.GetPort())), std::string::npos) << error;
    EXPECT_NE(error.find("--port"), std::string::npos) << error;
    form.ButtonExecClick();                                              // still working
    EXPECT_EQ(form.MemoLog->toPlainText().split(QChar(0x0a)).size(), 2); // the two time lines
}

TEST(ListenFailure, TextNamesPortReasonAndRemedy) {
    const std::string text = ListenFailureText(110, "Permission denied");
    EXPECT_EQ(text.substr(0, Cp("ﾎﾟｰﾄ 110 で待ち受けできません。").size()),
              Cp("ﾎﾟｰﾄ 110 で待ち受けできません。"));
    EXPECT_NE(text.find("Permission denied"), std::string::npos);
    EXPECT_NE(text.find("--port"), std::string::npos);
}

} // namespace
