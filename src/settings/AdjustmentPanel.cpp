#include "settings/AdjustmentPanel.h"

#include "settings/AppearanceChoices.h"
#include "support/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QPushButton>
#include <QTimer>

namespace melvanta {

namespace {

const char* const kTargetNames[] = {"主标题", "副标题", "时间", "提示文字", "动态文本", "LOGO图片", "结束文本"};
const char* const kButtonCaptions[] = {"居中", "上移", "左移", "右移", "下移"};

} // namespace

AdjustmentPanel::AdjustmentPanel(std::function<QComboBox*(int)> sizeBox, QWidget* parent)
    : QGroupBox(QStringLiteral("调整"), parent), m_sizeBox(std::move(sizeBox))
{
    setObjectName(QStringLiteral("Frame_adjust"));
    auto* grid = new QGridLayout(this);
    chooser = new QComboBox(this);
    chooser->setObjectName(QStringLiteral("Combo5"));
    chooser->setAccessibleName(QStringLiteral("调整对象"));
    for (const char* name : kTargetNames)
        chooser->addItem(QString::fromUtf8(name));
    chooser->setCurrentIndex(-1);
    chooser->setPlaceholderText(QStringLiteral("调整对象"));
    connect(chooser, &QComboBox::activated, this, &AdjustmentPanel::chosen);
    grid->addWidget(chooser, 1, 0);

    // The buttons stand as a cross: 上移 over 居中, 左移 and 右移 beside it, 下移 below.
    const QPoint places[] = {{2, 1}, {2, 0}, {1, 1}, {3, 1}, {2, 2}};
    for (int i = 0; i < ButtonCount; ++i) {
        buttons[i] = new QPushButton(QString::fromUtf8(kButtonCaptions[i]), this);
        buttons[i]->setObjectName(QStringLiteral("Command7_") + QString::number(i));
        buttons[i]->setAutoDefault(false);
        connect(buttons[i], &QPushButton::pressed, this, [this, i] { pressed(i); });
        connect(buttons[i], &QPushButton::released, this, [this] { repeat->stop(); });
        grid->addWidget(buttons[i], places[i].y(), places[i].x());
    }
    sizing = new QCheckBox(QStringLiteral("调整大小"), this);
    sizing->setObjectName(QStringLiteral("Check7"));
    connect(sizing, &QCheckBox::toggled, this, &AdjustmentPanel::sizingToggled);
    grid->addWidget(sizing, 2, 0);

    repeat = new QTimer(this);
    repeat->setObjectName(QStringLiteral("Timer2"));
    repeat->setInterval(kRepeatMilliseconds);
    connect(repeat, &QTimer::timeout, this, &AdjustmentPanel::step);
}

int AdjustmentPanel::sizeRow(int target)
{
    switch (target) {
    case AdjustableScreen::MainTitle:
        return 0;
    case AdjustableScreen::Subtitle:
        return 1;
    case AdjustableScreen::Clock:
    case AdjustableScreen::EndText:
        return 2; // the end text is drawn in the clock's box, at its size
    case AdjustableScreen::Prompt:
        return 4;
    case AdjustableScreen::DynamicText:
        return 5;
    default:
        return -1;
    }
}

void AdjustmentPanel::chosen(int target)
{
    if (target < 0 || target >= AdjustableScreen::TargetCount) {
        repeat->stop();
        return;
    }
    if (!m_screen)
        return;
    m_used = true;
    m_screen->showForAdjusting(target);
    if (target == AdjustableScreen::EndText && sizing->isChecked())
        sizingToggled(true);
}

void AdjustmentPanel::pressed(int button)
{
    m_pressed = button;
    // A click shorter than the repeat interval still makes its one step.
    step();
    if (chooser->currentIndex() >= 0)
        repeat->start();
}

void AdjustmentPanel::step()
{
    const int target = chooser->currentIndex();
    if (target < 0) {
        repeat->stop();
        MessageBox::notice(QStringLiteral("请选择调整对象"), 1500, this);
        return;
    }
    if (!m_screen || m_pressed < 0)
        return;
    m_used = true;
    const bool resizing = sizing->isChecked() && (m_pressed == Up || m_pressed == Down);
    if (resizing) {
        const int row = sizeRow(target);
        if (row < 0)
            return;
        QComboBox* box = m_sizeBox(row);
        const int points = steppedSize(row, box->currentText().toInt(), m_pressed == Up ? 1 : -1);
        box->setCurrentText(QString::number(points));
        m_screen->resize(target, points);
        return;
    }
    switch (m_pressed) {
    case Centre:
        m_screen->centre(target);
        break;
    case Up:
        m_screen->move(target, 0, -kStepTwips);
        break;
    case Left:
        m_screen->move(target, -kStepTwips, 0);
        break;
    case Right:
        m_screen->move(target, kStepTwips, 0);
        break;
    case Down:
        m_screen->move(target, 0, kStepTwips);
        break;
    default:
        break;
    }
}

void AdjustmentPanel::sizingToggled(bool on)
{
    buttons[Up]->setText(on ? QStringLiteral("增大") : QString::fromUtf8(kButtonCaptions[Up]));
    buttons[Down]->setText(on ? QStringLiteral("缩小") : QString::fromUtf8(kButtonCaptions[Down]));
    if (!m_screen || chooser->currentIndex() != AdjustableScreen::EndText)
        return;
    QString sample;
    if (on) {
        sample = m_endText ? m_endText() : QString();
        if (sample.isEmpty())
            sample = QStringLiteral("时间到");
    }
    m_screen->showEndSample(sample);
}

void AdjustmentPanel::finish()
{
    repeat->stop();
    if (m_screen && m_used)
        m_screen->hideAdjusted();
    m_used = false;
}

} // namespace melvanta
