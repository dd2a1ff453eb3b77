// Settings and window placement in QSettings: organisation "Pellwick",
// application "Marrowby", group "Settings", plain values (no sub-groups).
// A value that is absent, or not of its kind, leaves the field as it is.
#include <QSettings>
#include <QSplitter>
#include <algorithm>
#include <memory>

#include "app/marrowbyform.h"
#include "store/messagebox.h"
#include "ui/widgettext.h"

namespace {

std::unique_ptr<QSettings> SettingsKey() {
    auto key = std::make_unique<QSettings>("Pellwick", "Marrowby");
    key->beginGroup("Settings");
    return key;
}

template <class T>
void ReadInteger(const QSettings& key, const char* name, T& field) {
    if (!key.contains(name)) return;
    bool ok = false;
    const int value = key.value(name).toInt(&ok);
    if (ok) field = static_cast<T>(value);
}

void ReadBoolean(const QSettings& key, const char* name, bool& field) {
    if (!key.contains(name)) return;
    const QString text = key.value(name).toString().toLower();
    if (text == "true" || text == "1")
        field = true;
    else if (text == "false" || text == "0")
        field = false;
}

void ReadString(const QSettings& key, const char* name, std::string& field) {
    if (key.contains(name)) field = QStringToCp932(key.value(name).toString());
}

} // namespace

void TMarrowbyForm::LoadSettings() {
    LoadAccounts();
    FCheckIndex = AccountCount();
    DustBox1->Load();
    RecoverStores();
    auto key = SettingsKey();
    ReadInteger(*key, "checkspan", FCheckSpan);
    ReadBoolean(*key, "checkenable", FCheckEnable);
    ReadInteger(*key, "limitsize", FLimitSize);
    ReadString(*key, "editor", FEditor);
    ReadBoolean(*key, "precheckattach", FPrecheckAttach);
    ReadBoolean(*key, "denyremote", FDenyRemote);
    ReadBoolean(*key, "clientlog", FClientLog);
    ReadBoolean(*key, "serverlog", FServerLog);
    ReadInteger(*key, "sorttarget", FSortTarget);
    ReadBoolean(*key, "descend", FDescend);
    ReadString(*key, "savefolder", FSaveFolder);
    ReadBoolean(*key, "learnenable", FLearnEnable);
    ReadInteger(*key, "learnspam", FLearnSpam);
    ReadInteger(*key, "learnunsure", FLearnUnsure);
    FLearnSpam = std::clamp(FLearnSpam, 0, 100);
    FLearnUnsure = std::clamp(FLearnUnsure, 0, 100);
}

void TMarrowbyForm::SaveSettings() {
    SaveAccounts();
    auto key = SettingsKey();
    key->setValue("checkspan", FCheckSpan);
    key->setValue("checkenable", FCheckEnable);
    key->setValue("limitsize", FLimitSize);
    key->setValue("editor", Cp932ToQString(FEditor));
    key->setValue("precheckattach", FPrecheckAttach);
    key->setValue("denyremote", FDenyRemote);
    key->setValue("clientlog", FClientLog);
    key->setValue("serverlog", FServerLog);
    key->setValue("descend", FDescend);
    key->setValue("sorttarget", static_cast<int>(FSortTarget));
    key->setValue("savefolder", Cp932ToQString(FSaveFolder));
    key->setValue("learnenable", FLearnEnable);
    key->setValue("learnspam", FLearnSpam);
    key->setValue("learnunsure", FLearnUnsure);
    key->sync();
}

void TMarrowbyForm::LoadPlacement() {
    auto key = SettingsKey();
    int panel = -1, top = y(), left = x(), width = this->width(), height = this->height(),
        state = 0;
    ReadInteger(*key, "PanelMultipart", panel);
    ReadInteger(*key, "top", top);
    ReadInteger(*key, "left", left);
    ReadInteger(*key, "width", width);
    ReadInteger(*key, "height", height);
    ReadInteger(*key, "state", state);
    if (panel >= 0) SetPanelHeight(panel);
    move(left, top);
    resize(width, height);
    if (state == 1)
        setWindowState(Qt::WindowMinimized);
    else if (state == 2)
        setWindowState(Qt::WindowMaximized);
}

void TMarrowbyForm::SavePlacement() {
    auto key = SettingsKey();
    key->setValue("PanelMultipart", FWasShown ? PanelRBox->height() : FPanelHeight);
    int state = 0;
    if (isMinimized())
        state = 1;
    else if (isMaximized() || isFullScreen())
        state = 2;
    if (state == 0) {
        key->setValue("top", y());
        key->setValue("left", x());
        key->setValue("width", width());
        key->setValue("height", height());
    }
    key->setValue("state", state);
    key->sync();
}

// The list panel's height is the splitter's first size; the second takes the rest.
void TMarrowbyForm::SetPanelHeight(int height) {
    FPanelHeight = height;
    const QList<int> sizes = SplitterMultipart->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    SplitterMultipart->setSizes({height, std::max(total - height, 1)});
}
