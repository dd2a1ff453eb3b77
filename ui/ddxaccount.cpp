#include "ui/ddxaccount.h"

#include <QLineEdit>

#include "store/accountname.h"
#include "ui/widgettext.h"

TDDXAccount::TDDXAccount(std::string caption, const TPop3AccountList* list, std::string value,
                         QLineEdit* edit)
    : TDDXString(std::move(caption), edit, std::move(value), 0, 1), FList(list) {}

std::string TDDXAccount::EditText() const {
    return TrimAccountName(TDDXString::EditText());
}

bool TDDXAccount::Validate(std::string& msg) {
    if (!ValidateLength(msg)) return false;
    if (auto refusal = CheckAccountName(*FList, EditText(), FEditing, GetCaption())) {
        msg = std::move(*refusal);
        return false;
    }
    return TDDXItem::Validate(msg);
}

void TDDXAccount::Upload() {
    GetControlEdit()->setText(Cp932ToQString(TrimAccountName(AsString())));
    GetControlEdit()->setModified(false);
}

TDDXValidateEvent RefuseControlBytes() {
    return [](TDDXItem& item, bool& result, std::string& msg) {
        auto* edit = qobject_cast<QLineEdit*>(item.GetControl());
        if (!edit || !HasControlByte(QStringToCp932(edit->text()))) return;
        result = false;
        msg = ControlByteMessage(item.GetCaption());
    };
}
