#pragma once
// The account dialog: registers, edits, orders and deletes the remote POP3
// accounts. Closing it returns 1.
#include <QDialog>

class QPushButton;

class TMarrowAccountForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int ResultClose = 1;

    explicit TMarrowAccountForm(QWidget* parent = nullptr);

    QPushButton* ButtonClose;
};
