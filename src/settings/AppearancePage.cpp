#include "settings/AppearancePage.h"

#include "core/ProgramFolder.h"
#include "settings/AdjustmentPanel.h"
#include "settings/ColourSwatch.h"
#include "settings/FileImporter.h"
#include "settings/SettingsEntries.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QTimer>

namespace melvanta {

namespace {

// Longer than a title ever is, so a stored title is never cut short.
constexpr int kTitleLength = 1 << 20;

QComboBox* comboBox(const QString& name, const QString& accessibleName, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setAccessibleName(accessibleName);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

QLineEdit* titleBox(int index, const QString& row, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("Text3_") + QString::number(index));
    box->setAccessibleName(QStringLiteral("文本 ") + row);
    box->setMaxLength(kTitleLength);
    return box;
}

void setComboText(QComboBox* combo, const QString& text)
{
    const QSignalBlocker blocker(combo);
    combo->setCurrentText(text);
}

void setSwitch(QCheckBox* box, bool on)
{
    const QSignalBlocker blocker(box);
    box->setChecked(on);
}

} // namespace

AppearancePage::AppearancePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture3"));
    auto* grid = new QGridLayout(this);
    const char* const headings[] = {"字体", "大小", "颜色", "文本", "居中"};
    for (int column = 0; column < 5; ++column)
        grid->addWidget(new QLabel(QString::fromUtf8(headings[column]), this), 0, column + 1);

    const QStringList rows = appearanceRowNames();
    auto* digitsOnly = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    for (int row = 0; row < kAppearanceRows; ++row) {
        const QString name = rows.at(row);
        const QString index = QString::number(row);
        rowLabels[row] = new QLabel(name, this);
        rowLabels[row]->setObjectName(QStringLiteral("Label3_") + index);
        fontBoxes[row] = comboBox(QStringLiteral("Combo6_") + index, QStringLiteral("字体 ") + name, this);
        sizeBoxes[row] = comboBox(QStringLiteral("Combo7_") + index, QStringLiteral("大小 ") + name, this);
        sizeBoxes[row]->addItems(sizeChoices(row));
        sizeBoxes[row]->setValidator(digitsOnly);
        colours[row] = new ColourSwatch(QStringLiteral("Text3_") + index, QStringLiteral("颜色 ") + name, false, this);
        grid->addWidget(rowLabels[row], row + 1, 0);
        grid->addWidget(fontBoxes[row], row + 1, 1);
        grid->addWidget(sizeBoxes[row], row + 1, 2);
        grid->addWidget(colours[row], row + 1, 3);
    }
    mainTitle = titleBox(6, rows.at(0), this);
    subtitle = titleBox(7, rows.at(1), this);
    grid->addWidget(mainTitle, 1, 4);
    grid->addWidget(subtitle, 2, 4);

    switches[0] = new QCheckBox(QStringLiteral("时间颜色、背景按精准设置"), this);
    switches[1] = new QCheckBox(QStringLiteral("提示文字显示星期"), this);
    switches[2] = new QCheckBox(QStringLiteral("显示动态文本"), this);
    for (int i = 3; i < 6; ++i) {
        switches[i] = new QCheckBox(QStringLiteral("居中"), this);
        switches[i]->setAccessibleName(QStringLiteral("居中 ") + rows.at(i - 3));
        grid->addWidget(switches[i], i - 2, 5);
    }
    for (int i = 0; i < 6; ++i)
        switches[i]->setObjectName(QStringLiteral("Check3_") + QString::number(i));

    backgroundLabel = new QLabel(QStringLiteral("背景色/图"), this);
    backgroundLabel->setObjectName(QStringLiteral("Label3_11"));
    background = new ColourSwatch(QStringLiteral("Text5_14"), QStringLiteral("背景色/图"), true, this);
    backgroundImport = new QPushButton(QStringLiteral("图片"), this);
    backgroundImport->setObjectName(QStringLiteral("Command5_14"));
    backgroundImport->setAccessibleName(QStringLiteral("导入背景"));
    backgroundImport->setAutoDefault(false);
    connect(backgroundImport, &QPushButton::clicked, this, [this] {
        if (const auto name = askAndImport(ImportTarget::Background, this))
            background->setPicture(*name);
    });
    auto* backgroundRow = new QHBoxLayout;
    backgroundRow->addWidget(backgroundLabel);
    backgroundRow->addWidget(background);
    backgroundRow->addWidget(backgroundImport);
    backgroundRow->addStretch();

    const int below = kAppearanceRows + 1;
    grid->addLayout(backgroundRow, below, 0, 1, 4);
    grid->addWidget(switches[0], below + 1, 0, 1, 3);
    grid->addWidget(switches[1], below + 1, 3, 1, 2);
    grid->addWidget(switches[2], below + 2, 0, 1, 3);

    adjustment = new AdjustmentPanel([this](int row) { return sizeBoxes.at(row); }, this);
    grid->addWidget(adjustment, below + 3, 0, 1, 6);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(below + 4, 1);

    connect(switches[0], &QCheckBox::toggled, this, &AppearancePage::followPhaseLooksSwitch);

    fontTimer = new QTimer(this);
    fontTimer->setObjectName(QStringLiteral("Timer1"));
    fontTimer->setSingleShot(true);
    fontTimer->setInterval(0);
    connect(fontTimer, &QTimer::timeout, this, &AppearancePage::fillFontLists);
}

void AppearancePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The lists are filled once; the typed or stored fonts stay in the boxes.
    if (fontBoxes[0]->count() == 0)
        fontTimer->start();
}

void AppearancePage::fillFontLists()
{
    fontTimer->stop();
    const bool programBringsFonts = QFile::exists(ProgramFolder::file(QStringLiteral("font/Arial Black.ttf")));
    const QStringList installed = programBringsFonts ? QStringList() : QFontDatabase::families();
    for (int row = 0; row < kAppearanceRows; ++row) {
        QComboBox* box = fontBoxes[row];
        const QSignalBlocker blocker(box);
        const QString shown = box->currentText();
        box->clear();
        box->addItems(fontChoices(row, programBringsFonts, installed));
        box->setCurrentText(shown);
    }
}

void AppearancePage::fill(const SettingsEntries& entries)
{
    for (int row = 0; row < kAppearanceRows; ++row) {
        setComboText(fontBoxes[row], entries.fonts[row]);
        setComboText(sizeBoxes[row], entries.sizes[row]);
        colours[row]->setColourText(entries.colours[row]);
    }
    mainTitle->setText(entries.mainTitle);
    mainTitle->setCursorPosition(0);
    subtitle->setText(entries.subtitle);
    subtitle->setCursorPosition(0);
    for (int i = 0; i < 6; ++i)
        setSwitch(switches[i], entries.checkthree.at(i) == QLatin1Char('1'));
    background->setColourText(entries.background.colour);
    background->setPicture(entries.background.picture);
    followPhaseLooksSwitch();
}

void AppearancePage::collect(SettingsEntries& entries) const
{
    for (int row = 0; row < kAppearanceRows; ++row) {
        entries.fonts[row] = fontBoxes[row]->currentText();
        entries.sizes[row] = sizeBoxes[row]->currentText();
        entries.colours[row] = colours[row]->colourText();
    }
    entries.mainTitle = mainTitle->text();
    entries.subtitle = subtitle->text();
    entries.checkthree = entries.checkthree.leftJustified(6, QLatin1Char('0'), true);
    for (int i = 0; i < 6; ++i)
        entries.checkthree[i] = switches[i]->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    entries.background.colour = background->colourText();
    entries.background.picture = background->picture();
}

void AppearancePage::setDateLineEnabled(bool enabled)
{
    for (QWidget* control : std::initializer_list<QWidget*>{rowLabels[kDateLineRow], fontBoxes[kDateLineRow],
                                                            sizeBoxes[kDateLineRow], colours[kDateLineRow]})
        control->setEnabled(enabled);
}

void AppearancePage::followPhaseLooksSwitch()
{
    const bool plain = !switches[0]->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{colours[2], backgroundLabel, background, backgroundImport})
        control->setVisible(plain);
}

} // namespace melvanta
