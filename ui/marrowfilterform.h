#pragma once
// The filter dialog: edits the nine filter lists, one tab each. Returns 1
// after OK and 2 after Cancel, Esc or closing by the title bar.
#include <QDialog>

class QPushButton;
class QTabWidget;

class TMarrowFilterForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultOK = 1;
    static constexpr int ResultCancel = 2;

    explicit TMarrowFilterForm(QWidget* parent = nullptr);
    void reject() override;

    QTabWidget* PanelFilterBody;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};
