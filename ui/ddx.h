#pragma once
// Dialog data exchange: binds controls of a form to values in memory. The form
// sets the values and calls Upload to show them; on confirmation Download
// checks every item in order and copies the controls back into the items.
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/ddxitem.h"

class QWidget;
class TDDX;

// (sender, item index, result, message): replaces a step for every item.
using TDDXEvent = std::function<void(TDDX& sender, int index, bool& result, std::string& msg)>;

class TDDX : public QObject {
    Q_OBJECT
public:
    explicit TDDX(QObject* owner, const QString& name = QString());
    ~TDDX() override;

    // Takes ownership; the item's index is its position.
    template <class T>
    T* Add(std::unique_ptr<T> item) {
        T* added = item.get();
        FItems.push_back(std::move(item));
        return added;
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    TDDXItem& Items(int index) const { return *FItems.at(index); }

    void Upload();
    // False at the first item whose input is refused, after showing the error
    // (titled with the form's caption) and focusing its control. Items before
    // it have already taken their new input.
    bool Download(QWidget* form);
    bool GetModified();

    TDDXEvent OnValidation; // replaces each item's Validate (result preset true)
    TDDXEvent OnError;      // replaces the error box
    TDDXEvent OnTestModify; // replaces each item's IsModified (result preset false)

private:
    std::vector<std::unique_ptr<TDDXItem>> FItems;
};
