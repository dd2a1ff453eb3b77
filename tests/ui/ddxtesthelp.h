#pragma once
// Small helpers of the dialog data exchange tests.
#include <QString>
#include <string>

#include "ui/widgettext.h"

// Expected texts are written in UTF-8 here and compared as the CP932 the
// system uses.
inline std::string Cp(const char* utf8) {
    return Sjis(utf8);
}
inline QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}
