#pragma once
// A tab of the filter dialog whose rules stand in a report list: selecting
// a row shows its rule in the edit area, Add appends the rule of the edit
// area, Update changes the selected rule in place, Delete removes it and
// selects the row that takes its place. Row i shows rule i of the list.
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>

#include "filter/ruleinput.h"
#include "ui/filtertab.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TMessageFilter;
class TMessageFilters;

// What a tab is called: its tab name, the word in its control names (White,
// Black, Subject, IP, Host, Mailer, Header, Body), its banner and its DDX.
struct TFilterPageNames {
    const char* Tab;
    const char* Short;
    const char* Banner;
    const char* DDX;
};

// The columns of a list: captions and widths.
struct TFilterColumn {
    const char* Caption;
    int Width;
};

class TFilterListPage : public TFilterTab {
    Q_OBJECT
public:
    TFilterListPage(const TFilterPageNames& names, TMessageFilters& list,
                    std::initializer_list<TFilterColumn> columns, QWidget* parent);

    void Fill() override;
    void AppIdle() override;

    QTreeWidget* LV;
    QPushButton* ButtonAdd;
    QPushButton* ButtonDel;
    QPushButton* ButtonUpd;

protected:
    // The control name of this tab's kind: "Edit" + "White" + "Keyword" and so on.
    QString ControlName(const char* prefix, const char* suffix) const;
    TMessageFilters& List() const { return FList; }

    // A new rule of the tab's kind from the items, owned by the tab's list.
    virtual std::unique_ptr<TMessageFilter> NewFilter() const = 0;
    // Puts the rule's settings into the items.
    virtual void ShowFilter(const TMessageFilter& filter) = 0;
    // The first item whose pattern would not compile, with the reason.
    virtual std::optional<std::pair<int, TPatternError>> PatternError() const {
        return std::nullopt;
    }

private:
    void BuildList(std::initializer_list<TFilterColumn> columns);
    void SelectItem();
    void AddClick();
    void UpdClick();
    void DelClick();
    // True unless a pattern of the input does not compile and the user
    // does not want the rule stored that way.
    bool PatternAccepted();
    void SetRowTexts(QTreeWidgetItem* row, const TMessageFilter& filter) const;

    QString FShort;
    TMessageFilters& FList;
};
