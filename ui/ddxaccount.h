#pragma once
// The account dialog's own binding: the account name, trimmed, checked
// against the other accounts of its list. And the check that keeps control
// bytes out of the other text fields of an account.
#include "ui/ddxitem.h"

class TPop3AccountList;
class TPop3AccountItemBase;

class TDDXAccount : public TDDXString {
public:
    // Minimum length 1, no maximum.
    TDDXAccount(std::string caption, const TPop3AccountList* list, std::string value,
                QLineEdit* edit);
    // The record being edited, whose own name is no duplicate; null when adding.
    void SetEditing(const TPop3AccountItemBase* record) { FEditing = record; }
    // The length, then the name rules of the account list (forbidden
    // characters, control bytes, a name taken in any letter case).
    bool Validate(std::string& msg) override;
    void Upload() override;

protected:
    std::string EditText() const override; // trimmed

private:
    const TPop3AccountList* FList;
    const TPop3AccountItemBase* FEditing = nullptr;
};

// A base validation (TDDXItem::OnValidate) for an edit's item that refuses
// control bytes: caption + "に改行やﾀﾌﾞなどの制御文字は使えません".
TDDXValidateEvent RefuseControlBytes();
