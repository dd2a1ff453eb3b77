// Qt's standard buttons in Japanese, with the translation loaded as the
// program loads it at start.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

#include "app/qttranslation.h"

namespace {

TEST(QtTranslation, QuestionButtonsSayHaiAndIie) {
    QTranslator* translator = InstallQtTranslation(*qApp);
    ASSERT_NE(translator, nullptr) << "no qtbase_ja in " << QtTranslationsFolder().toStdString();
    QMessageBox box(QMessageBox::Information, "Velvane", "question",
                    QMessageBox::Yes | QMessageBox::No);
    const QString yes = box.button(QMessageBox::Yes)->text();
    const QString no = box.button(QMessageBox::No)->text();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_TRUE(yes.startsWith(QString("はい"))) << yes.toStdString();
    EXPECT_TRUE(no.startsWith(QString("いいえ"))) << no.toStdString();
}

} // namespace
