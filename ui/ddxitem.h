#pragma once
// One binding of the dialog data exchange: a control of a form, the value it
// edits in memory, and the check of the user's input. Captions, values and
// messages are CP932 text; the controls hold UTF-16 and convert at the edge.
#include <functional>
#include <memory>
#include <string>
#include <variant>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;
class TRadioGroup;

using TDDXValue = std::variant<std::string, int, bool>;

class TDDXItem;
// Sets result (preset true) and msg to decide the item's base validation.
using TDDXValidateEvent = std::function<void(TDDXItem& item, bool& result, std::string& msg)>;

class TDDXItem {
public:
    TDDXItem(std::string caption, QWidget* control, TDDXValue value);
    virtual ~TDDXItem() = default;
    TDDXItem(const TDDXItem&) = delete;
    TDDXItem& operator=(const TDDXItem&) = delete;

    virtual bool IsModified() const { return false; }
    // False with the error text in msg when the control's input is not acceptable.
    virtual bool Validate(std::string& msg);
    virtual void Upload() {}   // value -> control
    virtual void Download() {} // control -> value

    void SetValue(TDDXValue value) { FValue = std::move(value); }
    void SetErrorCode(int code) { FErrorCode = code; }
    const std::string& GetCaption() const { return FCaption; }
    QWidget* GetControl() const { return FControl; }
    const TDDXValue& GetValue() const { return FValue; }
    int GetErrorCode() const { return FErrorCode; }
    // The value as text, integer or boolean, converted when it holds another kind.
    std::string AsString() const;
    int AsInteger() const;
    bool AsBoolean() const;

    TDDXValidateEvent OnValidate;

private:
    std::string FCaption;
    QWidget* FControl;
    TDDXValue FValue;
    int FErrorCode = 0;
};

// Text in an edit. Lengths count CP932 bytes; a maximum of 0 is no maximum.
class TDDXString : public TDDXItem {
public:
    TDDXString(std::string caption, QLineEdit* edit, std::string value, int maxlen, int minlen);
    bool IsModified() const override;
    bool Validate(std::string& msg) override;
    void Upload() override;
    void Download() override;
    QLineEdit* GetControlEdit() const;
    void SetMaxlen(int maxlen) { FMaxlen = maxlen; }
    void SetMinlen(int minlen) { FMinlen = minlen; }
    int GetMaxlen() const { return FMaxlen; }
    int GetMinlen() const { return FMinlen; }

protected:
    // The edit's text as CP932, as the kind reads it.
    virtual std::string EditText() const;
    // The length rules on EditText; the message when they refuse it.
    bool ValidateLength(std::string& msg) const;

private:
    int FMaxlen;
    int FMinlen;
};

// A decimal integer in an edit; a maximum below the minimum is no upper bound.
// Error codes: 1 not a number, 2 below the minimum, 3 above the maximum.
class TDDXInteger : public TDDXItem {
public:
    TDDXInteger(std::string caption, QLineEdit* edit, int value, int maxval, int minval);
    bool IsModified() const override;
    bool Validate(std::string& msg) override;
    void Upload() override;
    void Download() override;
    QLineEdit* GetControlEdit() const;
    void SetMaxval(int maxval) { FMaxval = maxval; }
    void SetMinval(int minval) { FMinval = minval; }

private:
    int FMaxval;
    int FMinval;
};

// A dotted-quad IPv4 address in an edit: four groups of one to three
// decimal digits, each below 256.
class TDDXIPAddress : public TDDXString {
public:
    TDDXIPAddress(std::string caption, QLineEdit* edit, std::string value);
    bool Validate(std::string& msg) override;
};

class TDDXCheckBox : public TDDXItem {
public:
    TDDXCheckBox(std::string caption, QCheckBox* box, bool value);
    bool IsModified() const override;
    void Upload() override;
    void Download() override;
    QCheckBox* GetControlCheckBox() const;
};

// The selected index of a drop-down list (-1 for none).
class TDDXComboBox : public TDDXItem {
public:
    TDDXComboBox(std::string caption, QComboBox* box, int value);
    bool IsModified() const override;
    void Upload() override;
    void Download() override;
    QComboBox* GetControlComboBox() const;
};

class TDDXRadioButton : public TDDXItem {
public:
    TDDXRadioButton(std::string caption, QRadioButton* button, bool value);
    bool IsModified() const override;
    void Upload() override;
    void Download() override;
    QRadioButton* GetControlRadioButton() const;
};

// The selected index of a radio group (-1 for none), shifted by an offset
// in the value for the offset kind.
class TDDXRadioGroup : public TDDXItem {
public:
    TDDXRadioGroup(std::string caption, TRadioGroup* group, int value);
    bool IsModified() const override;
    void Upload() override;
    void Download() override;
    TRadioGroup* GetControlRadioGroup() const;

protected:
    virtual int Offset() const { return 0; }
};

class TDDXOffsetRadioGroup : public TDDXRadioGroup {
public:
    TDDXOffsetRadioGroup(std::string caption, TRadioGroup* group, int value, int offset);

protected:
    int Offset() const override { return FOffset; }

private:
    int FOffset;
};

// Strict integer reading: an optional sign and decimal digits, nothing else,
// within the 32-bit range.
bool StrictStrToInt(const std::string& text, int& value);
