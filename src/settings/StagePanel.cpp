#include "settings/StagePanel.h"

#include "support/DialogButton.h"
#include "support/MessageBox.h"
#include "support/TableExport.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace melvanta {

namespace {

const QString kDatabaseMissing = QStringLiteral("DeskData.db文件不存在，请保存程序的完整性");
constexpr double kLongestNameWidth = 14;

QLineEdit* box(const char* name, const char* accessibleName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString::fromUtf8(accessibleName));
    return edit;
}

// A name as the list shows it: up to its first control character.
QString shownName(const QString& name)
{
    for (int k = 0; k < name.size(); ++k) {
        if (name.at(k).category() == QChar::Other_Control)
            return name.left(k);
    }
    return name;
}

} // namespace

StagePanel::StagePanel(const QString& databasePath, Hooks hooks, QWidget* parent)
    : QWidget(parent), m_database(databasePath), m_hooks(std::move(hooks))
{
    setObjectName(QStringLiteral("Picture6"));
    auto* heading = new QLabel(QStringLiteral("阶段列表"), this);
    heading->setObjectName(QStringLiteral("Label8"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("阶段列表"));
    m_list->setHeaderLabels({QStringLiteral("序号"), QStringLiteral("阶段名称"), QStringLiteral("动态文本")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->setMinimumWidth(320);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { loadCurrent(); });

    m_name = box("Text8_0", "阶段名称", this);
    m_text = box("Text8_1", "动态文本", this);
    auto* save = dialogButton("Cmd_save", "保存", this);
    auto* up = dialogButton("Cmd_up", "上移", this);
    auto* down = dialogButton("Cmd_down", "下移", this);
    auto* remove = dialogButton("Cmd_del", "删除", this);
    auto* out = dialogButton("Cmd_out", "导出", this);
    connect(save, &QPushButton::clicked, this, &StagePanel::datasave);
    connect(up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(remove, &QPushButton::clicked, this, &StagePanel::Cmd_del);
    connect(out, &QPushButton::clicked, this, &StagePanel::dataout);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading, 0, 0, 1, 5);
    layout->addWidget(m_list, 1, 0, 1, 5);
    layout->addWidget(new QLabel(QStringLiteral("阶段名称"), this), 2, 0);
    layout->addWidget(m_name, 2, 1, 1, 4);
    layout->addWidget(new QLabel(QStringLiteral("动态文本"), this), 3, 0);
    layout->addWidget(m_text, 3, 1, 1, 4);
    int column = 0;
    for (QPushButton* b : {save, up, down, remove, out})
        layout->addWidget(b, 4, column++);
}

void StagePanel::showFailure(const QString& what)
{
    MessageBox::inform(what + QStringLiteral("\n") + m_database.lastError(), this, MessageBox::Icon::Exclamation);
}

void StagePanel::listadd()
{
    m_list->clear();
    if (!m_database.fileExists()) {
        MessageBox::inform(kDatabaseMissing, this);
        return;
    }
    const std::optional<QList<StageRow>> rows = m_database.list();
    if (!rows) {
        showFailure(QStringLiteral("无法读取阶段列表"));
        return;
    }
    for (int k = 0; k < rows->size(); ++k) {
        const StageRow& row = rows->at(k);
        auto* item = new QTreeWidgetItem(
            {QStringLiteral("%1").arg(k + 1, 3, 10, QLatin1Char('0')), shownName(row.name), row.movetext});
        item->setData(0, Qt::UserRole, row.id);
        m_list->addTopLevelItem(item);
    }
}

QList<int> StagePanel::selectedRows() const
{
    QList<int> rows;
    for (int k = 0; k < m_list->topLevelItemCount(); ++k) {
        if (m_list->topLevelItem(k)->isSelected())
            rows << k;
    }
    return rows;
}

void StagePanel::selectRow(int row)
{
    m_list->clearSelection();
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        item->setSelected(true);
        m_list->setCurrentItem(item);
    }
    m_list->setFocus();
}

void StagePanel::datasave()
{
    if (!m_database.fileExists()) {
        MessageBox::inform(kDatabaseMissing, this);
        return;
    }
    const QString name = storedStageName(m_name->text());
    if (name.isEmpty()) {
        MessageBox::notice(QStringLiteral("没有填写阶段名称"), 1500, this);
        m_name->setFocus();
        return;
    }
    // A tab or line break would break the list's rows and the menu's captions.
    if (stageNameHasBreaks(name)) {
        MessageBox::notice(QStringLiteral("阶段名称不能包含制表符或换行"), 1500, this);
        m_name->setFocus();
        return;
    }
    if (StageNameWidth(name) > kLongestNameWidth)
        MessageBox::notice(QStringLiteral("建议阶段名称控制在14个字符以内"), 1500, this);
    const QString taken = QStringLiteral("阶段名称【") + name + QStringLiteral("】已录入");
    const std::optional<bool> exists = m_database.nameExists(name);
    if (!exists) {
        showFailure(QStringLiteral("无法读取阶段列表"));
        return;
    }
    if (*exists) {
        MessageBox::notice(taken, 5000, this, QStringLiteral("录入提示"));
        m_name->setFocus();
        return;
    }
    const AppliedStage checked = stageFromEntries(m_hooks.entries());
    for (const QString& message : checked.messages)
        MessageBox::inform(message, this);
    if (!checked.accepted())
        return;
    switch (m_database.add(name, m_text->text(), checked.stage)) {
    case StageDatabase::Added::Added:
        break;
    case StageDatabase::Added::NameTaken:
        MessageBox::notice(taken, 5000, this, QStringLiteral("录入提示"));
        return;
    case StageDatabase::Added::Failed:
        showFailure(QStringLiteral("阶段没有保存"));
        return;
    }
    listadd();
    if (m_hooks.stagesChanged)
        m_hooks.stagesChanged();
    m_name->clear();
    m_text->clear();
    m_name->setFocus();
}

void StagePanel::loadCurrent()
{
    if (m_list->topLevelItemCount() == 0) {
        MessageBox::notice(QStringLiteral("没有录入数据"), 800, this);
        return;
    }
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    StoredStage stored;
    switch (m_database.load(item->data(0, Qt::UserRole).toInt(), stored)) {
    case StageDatabase::Loaded::Loaded:
        break;
    case StageDatabase::Loaded::NotFound:
        return;
    case StageDatabase::Loaded::Incomplete:
        MessageBox::notice(QStringLiteral("请保持文件完整，重新安装程序"), 800, this);
        return;
    case StageDatabase::Loaded::Failed:
        showFailure(QStringLiteral("无法读取该阶段"));
        return;
    }
    const StageSettings stage = withStoredDateLine(stored.settings, m_hooks.storedStage());
    m_hooks.showEntries(withStage(m_hooks.entries(), stage));
    m_name->setText(item->text(1));
    m_text->setText(stored.movetext);
}

void StagePanel::moveSelected(int step)
{
    const int count = m_list->topLevelItemCount();
    if (count == 0) {
        MessageBox::notice(step < 0 ? QStringLiteral("没有录入数据") : QStringLiteral("没有录入时钟名称"), 800, this);
        return;
    }
    const QList<int> selected = selectedRows();
    if (selected.size() > 1) {
        MessageBox::notice(QStringLiteral("上下移动请只选中一行数据"), 1500, this);
        return;
    }
    if (selected.isEmpty()) {
        MessageBox::notice(QStringLiteral("请选中要移动的数据行"), 800, this);
        return;
    }
    const int row = selected.first();
    if (step < 0 && row == 0) {
        MessageBox::notice(QStringLiteral("已经是第一行了"), 800, this);
        return;
    }
    if (step > 0 && row == count - 1) {
        MessageBox::notice(QStringLiteral("已经是最后一行了"), 800, this);
        return;
    }
    QList<int> ids;
    for (int k = 0; k < count; ++k)
        ids << m_list->topLevelItem(k)->data(0, Qt::UserRole).toInt();
    ids.swapItemsAt(row, row + step);
    if (!m_database.reorder(ids)) {
        showFailure(QStringLiteral("找不到该记录"));
        listadd();
        return;
    }
    listadd();
    selectRow(row + step);
    if (m_hooks.stagesChanged)
        m_hooks.stagesChanged();
}

void StagePanel::Cmd_del()
{
    if (m_list->topLevelItemCount() == 0) {
        MessageBox::notice(QStringLiteral("没有记录可删除"), 800, this);
        return;
    }
    const QList<int> selected = selectedRows();
    if (selected.isEmpty()) {
        MessageBox::notice(QString::fromUtf8(kSelectRowsToDelete), 3000, this);
        return;
    }
    if (MessageBox::ask(QStringLiteral("确定删除数据吗？"), this, QStringLiteral("提示")) != MessageBox::Answer::Yes)
        return;
    QList<int> ids;
    for (int row : selected)
        ids << m_list->topLevelItem(row)->data(0, Qt::UserRole).toInt();
    if (!m_database.remove(ids))
        showFailure(QStringLiteral("阶段没有删除"));
    listadd();
    if (m_hooks.stagesChanged)
        m_hooks.stagesChanged();
}

void StagePanel::dataout()
{
    const std::optional<QList<QStringList>> rows = m_database.exportRows();
    if (!rows) {
        showFailure(QStringLiteral("无法读取阶段列表"));
        return;
    }
    if (rows->isEmpty()) {
        MessageBox::notice(QStringLiteral("没有记录可导出"), 800, this);
        return;
    }
    ExportTable table;
    table.titles = QStringList{QStringLiteral("序号"), QStringLiteral("阶段名称"), QStringLiteral("动态文本"),
                               QStringLiteral("总时长"), QStringLiteral("长期计时")};
    table.rows = *rows;
    table.numberColumn = 0;
    exportTable(table, QStringLiteral("sheet1"), this);
}

} // namespace melvanta
