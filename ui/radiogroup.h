#pragma once
// A framed group of radio buttons with one selected index (-1 for none).
#include <QGroupBox>

class QButtonGroup;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

    int GetItemIndex() const;
    void SetItemIndex(int index);
    int GetCount() const;

private:
    QButtonGroup* FButtons;
};
