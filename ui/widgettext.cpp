#include "ui/widgettext.h"

#include "platform/text.h"

QString Cp932ToQString(std::string_view text) {
    return QString::fromStdString(platform::Cp932ToUtf8(text));
}

std::string QStringToCp932(const QString& text) {
    return platform::Utf8ToCp932(text.toStdString());
}

std::string Sjis(std::string_view utf8) {
    return platform::Utf8ToCp932(utf8);
}
