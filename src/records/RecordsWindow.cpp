#include "records/RecordsWindow.h"

#include "records/RecordChart.h"
#include "records/RecordHeader.h"
#include "storage/RegistryStore.h"
#include "support/DialogButton.h"
#include "support/MessageBox.h"
#include "support/TableExport.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace melvanta {

namespace {

constexpr int kNoticeMs = 3000;

} // namespace

RecordsWindow::RecordsWindow(const QString& databasePath, RegistryStore& registry, QWidget* parent)
    : QDialog(parent), m_table(databasePath), m_registry(registry)
{
    setObjectName(QStringLiteral("Frm_data_sum"));
    setWindowTitle(QStringLiteral("统计"));
    setWindowModality(Qt::ApplicationModal);

    m_chart = new RecordChart(this);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_header = new RecordHeader(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("计时记录"));
    m_list->setFont(fixed);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(true);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &RecordsWindow::followSelection);

    m_collect = new QCheckBox(QStringLiteral("启用统计"), this);
    m_collect->setObjectName(QStringLiteral("Check1"));
    m_collect->setEnabled(false); // until the load has set it
    connect(m_collect, &QCheckBox::clicked, this, &RecordsWindow::Check1_Click);
    m_notice = new QLabel(QStringLiteral("\r\n统计未启用\r\n\r\n暂停计时数据统计"), this);
    m_notice->setObjectName(QStringLiteral("Text1"));
    m_notice->setFrameShape(QFrame::Box);
    m_notice->setAlignment(Qt::AlignCenter);
    m_notice->setMargin(4);
    m_notice->setMinimumWidth(180);
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setObjectName(QStringLiteral("Timer1"));
    m_noticeTimer->setSingleShot(true);
    m_noticeTimer->setInterval(kNoticeMs);
    connect(m_noticeTimer, &QTimer::timeout, m_notice, &QWidget::hide);

    auto* exportButton = dialogButton("Command1", "导出", this);
    auto* closeButton = dialogButton("Command2", "关闭", this);
    auto* deleteButton = dialogButton("Command3", "删除", this);
    connect(exportButton, &QPushButton::clicked, this, &RecordsWindow::Command1_Click);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(deleteButton, &QPushButton::clicked, this, &RecordsWindow::Command3_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_collect);
    buttons->addWidget(m_notice);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(deleteButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chart, 2);
    layout->addWidget(m_header);
    layout->addWidget(m_list, 3);
    layout->addLayout(buttons);
    resize(760, 620);
    layout->activate();
    Form_Load();
}

void RecordsWindow::Form_Load()
{
    // The gap widens the rows until a sample row fills the list.
    const QFontMetrics metrics(m_list->font());
    // The viewport takes its size only when shown; the list's own is set by the layout.
    // The first gap whose sample row reaches the edge is one too wide for the
    // row to be read whole; the one before it is taken.
    m_gap = std::max(1, columnGap([&](const QString& text) { return metrics.horizontalAdvance(text); },
                                  m_list->width() - 2 * m_list->frameWidth()) -
                            1);
    m_rows.clear();
    if (m_table.fileExists()) {
        if (std::optional<QList<RecordRow>> rows = m_table.read())
            m_rows = *rows;
        else
            MessageBox::notice(QStringLiteral("无法读取计时记录：") + m_table.lastError(), 5000, this);
    }
    showRows();
    const QSignalBlocker blocker(m_collect);
    m_collect->setChecked(m_registry.number(QLatin1String(RegistryValue::Time_Record), 0) == 1);
    m_collect->setEnabled(true);
    showNotice();
}

void RecordsWindow::placeHeader()
{
    // Each title over the place its field takes in a row like the sample.
    static const QStringList titles{QStringLiteral("序号"),     QStringLiteral("设置时间"), QStringLiteral("实用时间"),
                                    QStringLiteral("超时时间"), QStringLiteral("暂停时间"), QStringLiteral("阶段")};
    static const QStringList sample{QStringLiteral("001"), QStringLiteral("03:00:00"), QStringLiteral("03:00:00"),
                                    QStringLiteral("3:00:00"), QStringLiteral("3:00:00")};
    const QFontMetrics metrics(m_list->font());
    const int left = m_list->geometry().left() - m_header->geometry().left() + m_list->frameWidth() + 3;
    QList<int> offsets{left};
    QString prefix;
    for (const QString& field : sample) {
        prefix += field + QString(m_gap, QLatin1Char(' '));
        offsets << left + metrics.horizontalAdvance(prefix);
    }
    m_header->setColumns(titles, offsets);
}

void RecordsWindow::showRows()
{
    const QString gap(m_gap, QLatin1Char(' '));
    placeHeader();
    m_list->clear();
    QStringList texts;
    texts.reserve(m_rows.size());
    for (int k = 0; k < m_rows.size(); ++k)
        texts << recordFields(m_rows.at(k), k + 1).join(gap);
    m_list->addItems(texts);
    for (int k = 0; k < m_rows.size(); ++k)
        m_list->item(k)->setData(Qt::UserRole, m_rows.at(k).idAuto);
    followSelection();
}

void RecordsWindow::showNotice()
{
    m_notice->setVisible(!m_collect->isChecked());
    m_noticeTimer->start();
}

void RecordsWindow::followSelection()
{
    QList<RecordRow> selected;
    for (int k = 0; k < m_list->count(); ++k) {
        if (m_list->item(k)->isSelected())
            selected << m_rows.at(k);
    }
    m_chart->setRecords(selected.isEmpty() ? m_rows : selected);
}

void RecordsWindow::Check1_Click()
{
    if (!m_collect->isEnabled())
        return;
    const bool on = m_collect->isChecked();
    if (!m_registry.setNumber(QLatin1String(RegistryValue::Time_Record), on ? 1 : 0))
        MessageBox::notice(QStringLiteral("无法保存“启用统计”的设置"), 3000, this);
    showNotice();
}

void RecordsWindow::Command3_Click()
{
    if (m_list->count() == 0) {
        MessageBox::notice(QStringLiteral("没有记录可删除"), 800, this);
        return;
    }
    QList<int> selected;
    for (int k = 0; k < m_list->count(); ++k) {
        if (m_list->item(k)->isSelected())
            selected << k;
    }
    if (selected.isEmpty()) {
        MessageBox::notice(QString::fromUtf8(kSelectRowsToDelete), 3000, this);
        return;
    }
    if (MessageBox::ask(QStringLiteral("确定删除数据吗？"), this, QStringLiteral("提示")) != MessageBox::Answer::Yes) {
        m_list->setFocus();
        return;
    }
    if (!m_table.fileExists())
        return;
    QList<qint64> ids;
    for (int row : selected)
        ids << m_rows.at(row).idAuto;
    if (!m_table.remove(ids)) {
        MessageBox::inform(QStringLiteral("记录没有删除\n") + m_table.lastError(), this, MessageBox::Icon::Exclamation);
        return;
    }
    // Rows keep their numbers until the window opens again.
    for (auto row = selected.crbegin(); row != selected.crend(); ++row) {
        delete m_list->takeItem(*row);
        m_rows.removeAt(*row);
    }
    const int next = rowAfterDelete(selected.last(), int(selected.size()), m_list->count());
    m_list->clearSelection();
    if (next >= 0) {
        m_list->item(next)->setSelected(true);
        m_list->setCurrentRow(next, QItemSelectionModel::Select);
    }
    followSelection();
    m_list->setFocus();
}

void RecordsWindow::Command1_Click()
{
    if (!m_table.fileExists())
        return;
    if (m_list->count() == 0) {
        MessageBox::notice(QStringLiteral("没有记录导出"), 800, this);
        return;
    }
    exportTable(recordsExportTable(m_rows), QStringLiteral("sheet1"), this);
}

} // namespace melvanta
