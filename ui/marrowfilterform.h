#pragma once
// The filter dialog: edits the nine filter lists, one tab each, in lists of
// its own that it loads from the rule files whenever it is shown and writes
// back only after OK. Returns 1 after OK and 2 after Cancel, Esc or closing
// by the title bar.
#include <QDialog>
#include <QMetaObject>
#include <array>
#include <string>

#include "filter/filterset.h"

class QPushButton;
class QTabWidget;
class TFilterTab;

class TMarrowFilterForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultOK = 1;
    static constexpr int ResultCancel = 2;

    // FormCreate: the tabs, their items and the rule files under programFolder (CP932).
    explicit TMarrowFilterForm(std::string_view programFolder, QWidget* parent = nullptr);
    ~TMarrowFilterForm() override;

    void reject() override;
    // FormClose, then the dialog closes with the result.
    void done(int result) override;
    // The idle handler while the dialog is shown: enables each tab's buttons.
    void AppIdle();

    QTabWidget* PanelFilterBody;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    // The dialog's own nine lists.
    TMessageFilterSet Filters;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void FormShow();
    void FormClose(int result);
    void ReportUnreadLines(const std::vector<TRuleLineError>& skipped);
    void ReportUnsavedFiles(const std::vector<TRuleFileError>& failed);

    std::array<TFilterTab*, 9> FTabs{}; // in the order of the lists
    QMetaObject::Connection FIdleHook;
};
