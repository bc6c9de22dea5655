#pragma once

#include "settings/SettingsEntries.h"
#include "stages/StageDatabase.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace melvanta {

// The stage list beside the settings dialog's pages ("阶段设置"): the stored
// stages in their order, a new stage saved from what the dialog holds, a
// stage loaded back into the dialog (double click), moved, deleted or the
// list exported. Nothing becomes current here; the dialog's apply does that.
class StagePanel : public QWidget
{
    Q_OBJECT
public:
    struct Hooks
    {
        // What the dialog's controls hold now, and showing other entries there.
        std::function<SettingsEntries()> entries;
        std::function<void(const SettingsEntries&)> showEntries;
        // The per-user store's stage, whose date line a loaded stage keeps.
        std::function<StageSettings()> storedStage;
        // The stored stages changed (saved, moved, deleted): the submenu follows.
        std::function<void()> stagesChanged;
    };

    StagePanel(const QString& databasePath, Hooks hooks, QWidget* parent = nullptr);

    // Fills the list from the database (`listadd`).
    void listadd();
    // The buttons' work, as clicking them does.
    void datasave();
    void moveSelected(int step); // -1 up (`Cmd_up`), +1 down (`Cmd_down`)
    void Cmd_del();
    void loadCurrent(); // `List1_DblClick`
    void dataout();

    QTreeWidget* list() const { return m_list; }
    QLineEdit* nameBox() const { return m_name; }
    QLineEdit* textBox() const { return m_text; }

private:
    QList<int> selectedRows() const;
    void selectRow(int row);
    void showFailure(const QString& what);

    StageDatabase m_database;
    Hooks m_hooks;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_text = nullptr;
};

} // namespace melvanta
