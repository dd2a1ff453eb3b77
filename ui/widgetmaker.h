#pragma once
// Small helpers that create the window's controls with their names.
#include <QPushButton>
#include <QString>

template <class T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A push button with its caption and, when given, its hint (tool tip).
inline QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                               const char* hint = nullptr) {
    auto* button = Named(new QPushButton(QString::fromUtf8(caption), parent), name);
    if (hint) button->setToolTip(QString::fromUtf8(hint));
    return button;
}
