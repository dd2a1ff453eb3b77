#include <QFile>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include "formfixture.h"
#include "message/multipartmessage.h"

namespace {

// A message of many text parts on which the rule "(a+)+$" stops at the
// matcher's limits every time.
std::string CostlyParts(int parts) {
    std::string text = "Subject: x\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n";
    for (int i = 0; i < parts; ++i)
        text += "--b\r\nContent-Type: text/plain\r\n\r\n" + std::string(40, 'a') + "b\r\n";
    return text + "--b--\r\n";
}

// The log names the rule that spent the verdict's budget.
TEST_F(FormTest, VerdictBudgetSpentIsLogged) {
    auto form = MakeForm();
    QFile rules(dir.filePath("cgi/body.cgi"));
    ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
    rules.write("(a+)+$,1,0\r\n");
    rules.close();
    form->FormShow();
    TMultipartMessage message;
    message.Create(CostlyParts(40));
    std::string comment;
    EXPECT_FALSE(TMarrowbyFormAccess{*form}.FilterMessage(comment, message));
    EXPECT_EQ(comment, "");
    const QString log = form->MemoLog->toPlainText();
    EXPECT_TRUE(
        log.contains(Cp932ToQString(Cp(">TIMEOUT:本文((a+)+$) ﾙｰﾙの照合時間の上限に達したため、"
                                       "以降のﾙｰﾙは省略しました"))))
        << log.toStdString();
}

} // namespace
