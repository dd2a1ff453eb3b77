#include "ui/ddx.h"

#include <QMessageBox>
#include <QWidget>

#include "ui/widgettext.h"

TDDX::TDDX(QObject* owner, const QString& name) : QObject(owner) {
    setObjectName(name);
}

TDDX::~TDDX() = default;

void TDDX::Upload() {
    for (auto& item : FItems)
        item->Upload();
}

bool TDDX::Download(QWidget* form) {
    for (int index = 0; index < Count(); ++index) {
        TDDXItem& item = Items(index);
        bool result = true;
        std::string msg;
        if (OnValidation)
            OnValidation(*this, index, result, msg);
        else
            result = item.Validate(msg);
        if (!result) {
            if (OnError) {
                OnError(*this, index, result, msg);
            } else {
                // Qt labels do not take CR as a line end.
                QString text = Cp932ToQString(msg).replace(QStringLiteral("\r\n"), "\n");
                QMessageBox::warning(form, form ? form->windowTitle() : QString(), text);
            }
            if (item.GetControl()) item.GetControl()->setFocus();
            return false;
        }
        item.Download();
    }
    return true;
}

bool TDDX::GetModified() {
    for (int index = 0; index < Count(); ++index) {
        bool result = false;
        std::string msg;
        if (OnTestModify)
            OnTestModify(*this, index, result, msg);
        else
            result = Items(index).IsModified();
        if (result) return true;
    }
    return false;
}
