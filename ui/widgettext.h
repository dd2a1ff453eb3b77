#pragma once
// Text crosses between the system (CP932 bytes) and Qt widgets (UTF-16) only here.
#include <QString>
#include <string>
#include <string_view>

QString Cp932ToQString(std::string_view text);
std::string QStringToCp932(const QString& text);
// A UTF-8 literal of the sources as the system's CP932 text.
std::string Sjis(std::string_view utf8);
