#include "ui/ddxitem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <limits>

#include "platform/inetaddr.h"
#include "ui/radiogroup.h"
#include "ui/widgettext.h"

namespace {

const char* const TextMinLength = "は %d 文字以上を入力してください";
const char* const TextMaxLength = "は %d 文字以内で入力してください";
const char* const TextNotNumber = "は数値を指定してください";
const char* const TextMinValue = "は %d 以上の値を入力してください";
const char* const TextMaxValue = "は %d 以内の値を入力してください";
const char* const TextNotAddress = "は 192.168.0.1 のようなIPｱﾄﾞﾚｽを指定してください";
const char* const TextOctetRange = "の各ｵｸﾃｯﾄは 0～255 の範囲で指定してください";

// The caption followed by a fixed text whose "%d" takes the number.
std::string Message(const std::string& caption, const char* utf8, int number = 0) {
    std::string text = Sjis(utf8);
    // '%' is never the second byte of a CP932 character, so the search is safe.
    if (auto at = text.find("%d"); at != std::string::npos)
        text.replace(at, 2, std::to_string(number));
    return caption + text;
}

} // namespace

bool StrictStrToInt(const std::string& text, int& value) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) ++i;
    if (i == text.size()) return false;
    long long number = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        number = number * 10 + (text[i] - '0');
        if (number > 2147483648LL) return false;
    }
    if (negative) number = -number;
    if (number > std::numeric_limits<int>::max()) return false;
    value = static_cast<int>(number);
    return true;
}

// ---- TDDXItem

TDDXItem::TDDXItem(std::string caption, QWidget* control, TDDXValue value)
    : FCaption(std::move(caption)), FControl(control), FValue(std::move(value)) {}

bool TDDXItem::Validate(std::string& msg) {
    bool result = true;
    if (OnValidate) OnValidate(*this, result, msg);
    return result;
}

std::string TDDXItem::AsString() const {
    if (auto* s = std::get_if<std::string>(&FValue)) return *s;
    if (auto* i = std::get_if<int>(&FValue)) return std::to_string(*i);
    return std::get<bool>(FValue) ? "True" : "False";
}

int TDDXItem::AsInteger() const {
    if (auto* i = std::get_if<int>(&FValue)) return *i;
    if (auto* b = std::get_if<bool>(&FValue)) return *b ? 1 : 0;
    int value = 0;
    StrictStrToInt(std::get<std::string>(FValue), value);
    return value;
}

bool TDDXItem::AsBoolean() const {
    if (auto* b = std::get_if<bool>(&FValue)) return *b;
    return AsInteger() != 0;
}

// ---- TDDXString

TDDXString::TDDXString(std::string caption, QLineEdit* edit, std::string value, int maxlen,
                       int minlen)
    : TDDXItem(std::move(caption), edit, std::move(value)), FMaxlen(maxlen), FMinlen(minlen) {}

QLineEdit* TDDXString::GetControlEdit() const {
    return static_cast<QLineEdit*>(GetControl());
}

std::string TDDXString::EditText() const {
    return QStringToCp932(GetControlEdit()->text());
}

bool TDDXString::IsModified() const {
    return GetControlEdit()->isModified();
}

bool TDDXString::ValidateLength(std::string& msg) const {
    const int length = static_cast<int>(EditText().size());
    if (length < FMinlen) {
        msg = Message(GetCaption(), TextMinLength, FMinlen);
        return false;
    }
    if (FMaxlen > 0 && length > FMaxlen) {
        msg = Message(GetCaption(), TextMaxLength, FMaxlen);
        return false;
    }
    return true;
}

bool TDDXString::Validate(std::string& msg) {
    return ValidateLength(msg) && TDDXItem::Validate(msg);
}

void TDDXString::Upload() {
    GetControlEdit()->setText(Cp932ToQString(AsString()));
    GetControlEdit()->setModified(false);
}

void TDDXString::Download() {
    SetValue(EditText());
    GetControlEdit()->setModified(false);
}

// ---- TDDXInteger

TDDXInteger::TDDXInteger(std::string caption, QLineEdit* edit, int value, int maxval, int minval)
    : TDDXItem(std::move(caption), edit, value), FMaxval(maxval), FMinval(minval) {}

QLineEdit* TDDXInteger::GetControlEdit() const {
    return static_cast<QLineEdit*>(GetControl());
}

bool TDDXInteger::IsModified() const {
    return GetControlEdit()->isModified();
}

bool TDDXInteger::Validate(std::string& msg) {
    SetErrorCode(0);
    int number = 0;
    if (!StrictStrToInt(QStringToCp932(GetControlEdit()->text()), number)) {
        SetErrorCode(1);
        msg = Message(GetCaption(), TextNotNumber);
        return false;
    }
    if (number < FMinval) {
        SetErrorCode(2);
        msg = Message(GetCaption(), TextMinValue, FMinval);
        return false;
    }
    if (FMaxval >= FMinval && number > FMaxval) {
        SetErrorCode(3);
        msg = Message(GetCaption(), TextMaxValue, FMaxval);
        return false;
    }
    return TDDXItem::Validate(msg);
}

void TDDXInteger::Upload() {
    GetControlEdit()->setText(QString::number(AsInteger()));
    GetControlEdit()->setModified(false);
}

void TDDXInteger::Download() {
    int number = AsInteger();
    StrictStrToInt(QStringToCp932(GetControlEdit()->text()), number);
    SetValue(number);
    GetControlEdit()->setModified(false);
}

// ---- TDDXIPAddress

TDDXIPAddress::TDDXIPAddress(std::string caption, QLineEdit* edit, std::string value)
    : TDDXString(std::move(caption), edit, std::move(value), 0, 0) {}

bool TDDXIPAddress::Validate(std::string& msg) {
    std::uint32_t address = 0;
    switch (platform::ReadDottedQuad(EditText(), address)) {
    case platform::TDottedQuad::NotDottedQuad:
        msg = Message(GetCaption(), TextNotAddress);
        return false;
    case platform::TDottedQuad::OctetOutOfRange:
        msg = Message(GetCaption(), TextOctetRange);
        return false;
    case platform::TDottedQuad::Valid:
        break;
    }
    return TDDXItem::Validate(msg);
}

// ---- TDDXCheckBox, TDDXRadioButton

TDDXCheckBox::TDDXCheckBox(std::string caption, QCheckBox* box, bool value)
    : TDDXItem(std::move(caption), box, value) {}

QCheckBox* TDDXCheckBox::GetControlCheckBox() const {
    return static_cast<QCheckBox*>(GetControl());
}

bool TDDXCheckBox::IsModified() const {
    return GetControlCheckBox()->isChecked() != AsBoolean();
}

void TDDXCheckBox::Upload() {
    GetControlCheckBox()->setChecked(AsBoolean());
}

void TDDXCheckBox::Download() {
    SetValue(GetControlCheckBox()->isChecked());
}

TDDXComboBox::TDDXComboBox(std::string caption, QComboBox* box, int value)
    : TDDXItem(std::move(caption), box, value) {}

QComboBox* TDDXComboBox::GetControlComboBox() const {
    return static_cast<QComboBox*>(GetControl());
}

bool TDDXComboBox::IsModified() const {
    return GetControlComboBox()->currentIndex() != AsInteger();
}

void TDDXComboBox::Upload() {
    GetControlComboBox()->setCurrentIndex(AsInteger());
}

void TDDXComboBox::Download() {
    SetValue(GetControlComboBox()->currentIndex());
}

TDDXRadioButton::TDDXRadioButton(std::string caption, QRadioButton* button, bool value)
    : TDDXItem(std::move(caption), button, value) {}

QRadioButton* TDDXRadioButton::GetControlRadioButton() const {
    return static_cast<QRadioButton*>(GetControl());
}

bool TDDXRadioButton::IsModified() const {
    return GetControlRadioButton()->isChecked() != AsBoolean();
}

void TDDXRadioButton::Upload() {
    GetControlRadioButton()->setChecked(AsBoolean());
}

void TDDXRadioButton::Download() {
    SetValue(GetControlRadioButton()->isChecked());
}

// ---- TDDXRadioGroup, TDDXOffsetRadioGroup

TDDXRadioGroup::TDDXRadioGroup(std::string caption, TRadioGroup* group, int value)
    : TDDXItem(std::move(caption), group, value) {}

TRadioGroup* TDDXRadioGroup::GetControlRadioGroup() const {
    return static_cast<TRadioGroup*>(GetControl());
}

bool TDDXRadioGroup::IsModified() const {
    return GetControlRadioGroup()->GetItemIndex() != AsInteger() - Offset();
}

void TDDXRadioGroup::Upload() {
    GetControlRadioGroup()->SetItemIndex(AsInteger() - Offset());
}

void TDDXRadioGroup::Download() {
    SetValue(GetControlRadioGroup()->GetItemIndex() + Offset());
}

TDDXOffsetRadioGroup::TDDXOffsetRadioGroup(std::string caption, TRadioGroup* group, int value,
                                           int offset)
    : TDDXRadioGroup(std::move(caption), group, value), FOffset(offset) {}
