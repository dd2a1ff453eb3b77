#pragma once
// The small animation shown while a check cycle runs: a ring of dots whose
// bright dot turns round. Still and empty while inactive.
#include <QWidget>

class QTimer;

class TBusyAnimation : public QWidget {
    Q_OBJECT
public:
    explicit TBusyAnimation(QWidget* parent = nullptr);
    void SetActive(bool active);
    bool GetActive() const { return FActive; }
    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QTimer* FTimer;
    bool FActive = false;
    int FFrame = 0;
};
