#pragma once
// The attachment tab of the filter dialog: a plain list of extensions. Add
// ignores an extension that is listed already in any letter case; Delete
// removes the selected one and selects the line that takes its place.
// Line i shows rule i of the list.
#include "ui/filtertab.h"

class QListWidget;
class QPushButton;
class TMessageFilters;

class TFilterAttachPage : public TFilterTab {
    Q_OBJECT
public:
    TFilterAttachPage(TMessageFilters& list, QWidget* parent);

    void Fill() override;
    void AppIdle() override;

    QListWidget* LBAttach;
    QPushButton* ButtonAttachAdd;
    QPushButton* ButtonAttachDel;

private:
    void ButtonAttachAddClick();
    void ButtonAttachDelClick();

    TMessageFilters& FList;
};
