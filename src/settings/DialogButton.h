#pragma once

#include <QPushButton>

namespace melvanta {

// A button of the settings dialog: never a default button, so that Enter in
// a box neither applies, saves nor closes.
inline QPushButton* dialogButton(const char* objectName, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace melvanta
