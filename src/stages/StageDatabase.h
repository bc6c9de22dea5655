#pragma once

#include "stages/DatabaseConnection.h"
#include "stages/StoredStage.h"

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

namespace melvanta {

// One row of the stage list: the stage's place (`ID`, 1-based), its name
// and its dynamic text. The ID is what the list, the submenu and the
// hotkeys hold on to; names are only shown.
struct StageRow
{
    int id = 0;
    QString name;
    QString movetext;
};

// The stored stages, `deskclock` in "DeskData.db". Every call opens its own
// connection; every change runs in one transaction, so a change that is
// interrupted leaves the stages as they were. Names reach the database only
// as bound values. A missing file is never created here.
class StageDatabase
{
public:
    enum class Added
    {
        Added,
        NameTaken,
        Failed
    };
    enum class Loaded
    {
        Loaded,
        NotFound,
        Incomplete, // the row has other than the 54 columns
        Failed
    };

    explicit StageDatabase(QString databasePath);

    bool fileExists() const;
    // The database's text for the last call that failed.
    QString lastError() const { return m_error; }

    // The stages in their order. IDs that are not 1, 2, 3 … (a gap, twice the
    // same ID) are first put right, keeping the order. Nothing when the file
    // is missing or cannot be read.
    std::optional<QList<StageRow>> list();
    // Whether a stage has the name, ignoring blanks around it and letter case.
    // Nothing when the database cannot be read.
    std::optional<bool> nameExists(const QString& name);
    // Adds a stage at the end (ID one above the highest); `newId` receives it.
    Added add(const QString& name, const QString& movetext, const StageSettings& stage, int* newId = nullptr);
    // The stage with `id`; values that do not read keep their first-run defaults.
    Loaded load(int id, StoredStage& stage);
    // Gives the stages the order of `ids` (every stage's ID once): the first
    // becomes ID 1, the next 2, and so on.
    bool reorder(const QList<int>& ids);
    // Deletes the stages with `ids` and numbers the others 1, 2, 3 … in their order.
    bool remove(const QList<int>& ids);

    // The stage list for export: 序号, 阶段名称, 动态文本, 总时长, 长期计时
    // (empty when the stage has no due date). Nothing when it cannot be read.
    std::optional<QList<QStringList>> exportRows();

private:
    bool run(bool readOnly, const std::function<bool(QSqlDatabase&)>& work);

    QString m_path;
    QString m_error;
};

// How wide a stage name reads: ASCII letters, digits and the full stop count
// half, every other character one.
double StageNameWidth(const QString& name);
// The name as it is stored: without blanks around it.
QString storedStageName(const QString& name);
// A name holding a tab or a line break cannot stand in the list or a menu.
bool stageNameHasBreaks(const QString& name);

} // namespace melvanta

Q_DECLARE_METATYPE(melvanta::StageRow)
