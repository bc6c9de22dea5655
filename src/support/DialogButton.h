#pragma once

#include <QPushButton>

namespace melvanta {

// A button of the program's dialogs: never a default button, so that Enter
// in a box or a list neither applies, saves, deletes nor closes.
inline QPushButton* dialogButton(const char* objectName, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace melvanta
