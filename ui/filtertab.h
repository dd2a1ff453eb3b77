#pragma once
// What every tab of the filter dialog has: the banner at the top, the edit
// area whose controls are bound to the tab's TDDX in the order they are
// made, and the question asked before a rule whose pattern does not compile
// is stored.
#include <QWidget>

class QAbstractItemView;
class QCheckBox;
class QFormLayout;
class QGridLayout;
class QLineEdit;
class QVBoxLayout;
class TDDX;
class TMessageFilters;
struct TPatternError;

class TFilterTab : public QWidget {
    Q_OBJECT
public:
    // The tab's own name (TSFilterWhiteList ...), its banner text and its DDX name (UTF-8).
    TFilterTab(const char* name, const char* banner, const char* ddxName, QWidget* parent);

    // Shows the rules of the tab's list, in list order.
    virtual void Fill() = 0;
    // Enables the buttons as the input and the selection allow.
    virtual void AppIdle() = 0;

    TDDX* DDX;

protected:
    // The tab's layout: the banner, then what the kind adds, then the edit area.
    QVBoxLayout* Body() const { return FBody; }
    void AddEditArea();
    // A labelled edit bound to a text item (minimum length 1) or an address item.
    QLineEdit* AddKeyword(const char* caption, const char* label, const QString& name);
    QLineEdit* AddAddress(const char* caption, const char* label, const QString& name,
                          const char* value);
    // A check box bound to a boolean item (initially clear), two to a row.
    QCheckBox* AddCheck(const char* caption, const char* text, const QString& name);

    // After a refusal the rule is not stored: the user corrects the field.
    // True when the pattern compiles or the user stores it all the same.
    bool ConfirmPattern(int item, const TPatternError& error);

    // The selected row of a list, or -1.
    static int SelectedRow(const QAbstractItemView* view);
    // Deletes the selected row of a list whose row i shows rule i, with its
    // rule, and selects the row that takes its place (or the last one),
    // which shows it.
    static void DeleteSelected(QAbstractItemView* view, TMessageFilters& list);

private:
    // Makes the row current and selected; a row past the end selects the
    // last one, an empty list nothing.
    static void SelectRow(QAbstractItemView* view, int row);
    QLineEdit* AddEdit(const char* label, const QString& name);

    QVBoxLayout* FBody;
    QFormLayout* FEdits;
    QGridLayout* FChecks;
};
