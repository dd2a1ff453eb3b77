#pragma once
// A main window on a temporary program folder, with the settings cleared,
// and the tests' view of its private fields.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "platform/file.h"
#include "store/mbxitem.h"
#include "store/pop3accountlist.h"
#include "store/storelayout.h"
#include "tests/ui/messageboxanswer.h"
#include "ui/widgettext.h"

struct TMarrowbyFormAccess {
    TMarrowbyForm& f;
    int& CheckIndex() { return f.FCheckIndex; }
    int& CheckSpan() { return f.FCheckSpan; }
    bool& CheckEnable() { return f.FCheckEnable; }
    int& LimitSize() { return f.FLimitSize; }
    std::string& Editor() { return f.FEditor; }
    bool& PrecheckAttach() { return f.FPrecheckAttach; }
    bool& DenyRemote() { return f.FDenyRemote; }
    bool& ClientLog() { return f.FClientLog; }
    bool& ServerLog() { return f.FServerLog; }
    std::uint8_t& SortTarget() { return f.FSortTarget; }
    bool& Descend() { return f.FDescend; }
    std::string& SaveFolder() { return f.FSaveFolder; }
    int& MinuteCount() { return f.FMinuteCount; }
    bool& DialogOpen() { return f.FDialogOpen; }
    bool& Busy() { return f.FBusy; }
    std::uint8_t& ListMode() { return f.FListMode; }
    bool Checking() const { return f.CheckingAccount() != nullptr; }
    std::string CloseQuestion() const { return f.CloseQuestion(); }
    void SavePlacement() { f.SavePlacement(); }
    bool FilterMessage(std::string& comment, TMultipartMessage& message) {
        return f.FilterMessage(comment, message);
    }
};

// Lets the window handle its events (what the sessions and threads posted)
// until cond holds, 10 s at most; the last value of cond.
template <class Cond>
bool ProcessUntil(Cond cond) {
    QElapsedTimer timer;
    timer.start();
    while (!cond() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return cond();
}

// Selects the row of the message list that shows the UID, as a click does.
inline void SelectUid(TMarrowbyForm& form, const char* uid) {
    auto* model = static_cast<TMessageListModel*>(form.LVMessages->model());
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->Entry(row)->UID == uid) {
            form.LVMessages->setCurrentIndex(model->index(row, 0));
            return;
        }
    FAIL() << "no row for " << uid;
}

// UTF-8 text as the system's CP932.
inline std::string Cp(const char* utf8) {
    return Sjis(utf8);
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ClearSettings();
    }
    static void ClearSettings() {
        QSettings settings("Pellwick", "Marrowby");
        settings.clear();
        settings.sync();
    }
    static QVariant Setting(const char* name) {
        QSettings settings("Pellwick", "Marrowby");
        return settings.value(QString("Settings/") + name);
    }
    static void SetSetting(const char* name, const QVariant& value) {
        QSettings settings("Pellwick", "Marrowby");
        settings.setValue(QString("Settings/") + name, value);
        settings.sync();
    }
    std::string Folder() const { return QStringToCp932(dir.path()) + "/"; }
    // The list set up on the test's folder, its base folder made.
    void SetupAccounts(TPop3AccountList& list) const {
        SetupAccountList(list, Folder());
        ASSERT_TRUE(platform::ForceDirectories(list.BaseFolder));
    }
    // An account added to the list, with its inbox folder made.
    static TPop3AccountItem* AddInbox(TPop3AccountList& list, const char* name,
                                      const char* user = "u", const char* password = "p",
                                      const char* host = "h") {
        TPop3AccountItem* account = list.Add(name, user, password, host, 110, false, false);
        EXPECT_TRUE(platform::ForceDirectories(account->GetFolder()));
        return account;
    }
    // Headless forms show no message box; the local server takes any free port.
    std::unique_ptr<TMarrowbyForm> MakeForm(bool headless = true) {
        return std::make_unique<TMarrowbyForm>(TAppOptions{Folder(), 0, headless});
    }
    std::unique_ptr<TMarrowbyForm> ShownForm(bool headless = true) {
        auto form = MakeForm(headless);
        form->FormShow();
        return form;
    }

    QTemporaryDir dir;
};
