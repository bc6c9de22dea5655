#pragma once

#include "stages/RecordTable.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QTimer;

namespace melvanta {

class RecordChart;
class RecordHeader;
class RegistryStore;

// "统计": the timing records with a chart of planned against used time above
// them, the switch that turns record collection on and off, deleting chosen
// records and exporting them.
class RecordsWindow : public QDialog
{
    Q_OBJECT
public:
    RecordsWindow(const QString& databasePath, RegistryStore& registry, QWidget* parent = nullptr);

    // The buttons' and the switch's work, as clicking them does.
    void Check1_Click();
    void Command1_Click(); // 导出
    void Command3_Click(); // 删除

    QListWidget* list() const { return m_list; }
    RecordChart* chart() const { return m_chart; }
    QCheckBox* collectSwitch() const { return m_collect; }
    QLabel* notice() const { return m_notice; }
    // The records behind the list's rows, in row order.
    const QList<RecordRow>& rows() const { return m_rows; }
    int columnGapWidth() const { return m_gap; }

private:
    void Form_Load();
    void showRows();
    void showNotice();
    void followSelection();
    void placeHeader();

    RecordTable m_table;
    RegistryStore& m_registry;
    QList<RecordRow> m_rows;
    int m_gap = 1;
    RecordChart* m_chart = nullptr;
    RecordHeader* m_header = nullptr;
    QListWidget* m_list = nullptr;
    QCheckBox* m_collect = nullptr;
    QLabel* m_notice = nullptr;
    QTimer* m_noticeTimer = nullptr;
};

} // namespace melvanta
