#pragma once

#include <QWidget>

namespace melvanta {

// The window nobody sees ("Frm_black"): it owns the command menu and the
// element menu and the values shared by the whole run.
class MenuHost : public QWidget
{
    Q_OBJECT
public:
    explicit MenuHost(QWidget* parent = nullptr);
};

} // namespace melvanta
