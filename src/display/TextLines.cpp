#include "display/TextLines.h"

#include "core/CurrentStage.h"
#include "display/ColourMapping.h"
#include "display/MarqueeLine.h"

#include <QDate>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>

namespace melvanta {

namespace {

const QString kFallbackFont = QStringLiteral("宋体");
// What an empty text line shows while the elements are being adjusted.
const std::array<const char*, 5> kPlaceholders{"主标题", "副标题", "系统日期", "提示文字", "动态文本"};

QString placeholder(int line)
{
    return QString::fromUtf8(kPlaceholders[line]);
}

QString weekdayText()
{
    return QLocale::system().toString(QDate::currentDate(), QStringLiteral("dddd"));
}

struct LineLook
{
    QString StageSettings::*font;
    QString StageSettings::*colour;
    SizeField size;
};

// Font, colour and size fields of the text lines 0 ... 4.
const std::array<LineLook, 5> kLineLooks{{
    {&StageSettings::firstfont, &StageSettings::firstcolour, SizeField::MainTitle},
    {&StageSettings::secondfont, &StageSettings::secondcolour, SizeField::Subtitle},
    {&StageSettings::stagefont, &StageSettings::stagecolour, SizeField::DateLine},
    {&StageSettings::textfont, &StageSettings::textcolour, SizeField::Prompt},
    {&StageSettings::rollfont, &StageSettings::rollcolour, SizeField::DynamicText},
}};

} // namespace

TextLines::TextLines(QWidget& window, const CurrentStage& stage, std::function<TwipsScale()> scale,
                     std::function<void(int)> place)
    : QObject(&window), m_stage(stage), m_place(std::move(place))
{
    m_lines[0] = new QLabel(&window);
    for (int i = 1; i < 5; ++i) {
        // No fill: the text stands on the window's own background.
        m_boxes[i] = new QFrame(&window);
        m_boxes[i]->setFrameStyle(QFrame::NoFrame);
        m_boxes[i]->setObjectName(QStringLiteral("Picture6_%1").arg(i));
        m_boxes[i]->hide();
        m_lines[i] = new QLabel(m_boxes[i]);
    }
    for (int i = 0; i < 5; ++i) {
        m_lines[i]->setObjectName(QStringLiteral("Label2_%1").arg(i));
        m_lines[i]->setTextFormat(Qt::PlainText);
        m_lines[i]->setFont(QFont(i == kDynamicTextElement ? QStringLiteral("新宋体") : kFallbackFont));
    }
    m_marquee = new MarqueeLine(m_lines[kDynamicTextElement], std::move(scale), this);
    connect(m_marquee, &MarqueeLine::stepDue, this, &TextLines::stepMarquee);
}

const StageSettings& TextLines::stage() const
{
    return m_stage.get();
}

QWidget* TextLines::box(int index) const
{
    return index == 0 ? static_cast<QWidget*>(m_lines[0]) : m_boxes.at(index);
}

void TextLines::applyStage(const ProfileReader& profile)
{
    const StageSettings& settings = stage();
    m_marquee->readSettings(profile);
    const std::array<QString, 5> texts{settings.firsttext, settings.secondtext, QString(), QString(), m_dynamicText};
    for (int i = 0; i < 5; ++i) {
        QLabel* line = m_lines[i];
        QFont font(QFontDatabase::hasFamily(settings.*kLineLooks[i].font) ? settings.*kLineLooks[i].font
                                                                          : kFallbackFont);
        font.setPointSize(settings.size(kLineLooks[i].size));
        line->setFont(font);
        setTextColour(line, toQColor(settings.*kLineLooks[i].colour, QGuiApplication::palette()));
        line->setText(texts[i]);
        line->setAccessibleName(texts[i]);
        line->adjustSize();
    }
    m_lines[0]->setVisible(!texts[0].isEmpty());
    m_boxes[kSubtitleElement]->setVisible(!texts[1].isEmpty());
    m_boxes[kDateLineElement]->hide();
    m_boxes[kPromptElement]->hide();
    setDynamicText(m_dynamicText);
    if (m_adjusting)
        showPlaceholders(true);
}

void TextLines::setPrompt(const QString& text)
{
    m_prompt = text;
    QString shown = text;
    if (stage().longTerm() && stage().promptShowsWeekday())
        shown = weekdayText();
    if (!m_operatorMessage.isEmpty())
        shown = m_operatorMessage;
    if (shown.isEmpty() && m_adjusting)
        shown = placeholder(kPromptElement);
    QLabel* line = m_lines[kPromptElement];
    line->setText(shown);
    line->setAccessibleName(shown);
    fitBox(kPromptElement);
    m_place(kPromptElement);
    m_boxes[kPromptElement]->setVisible(!shown.isEmpty());
}

void TextLines::setPromptVisible(bool visible)
{
    m_boxes[kPromptElement]->setVisible((visible || !m_operatorMessage.isEmpty()) &&
                                        !m_lines[kPromptElement]->text().isEmpty());
}

void TextLines::setOperatorMessage(const QString& text)
{
    m_operatorMessage = text;
    setPrompt(m_prompt);
}

void TextLines::setDateLine(const QString& text)
{
    m_lines[kDateLineElement]->setText(text);
    m_lines[kDateLineElement]->setAccessibleName(text);
    fitBox(kDateLineElement);
    m_place(kDateLineElement);
    // The date line belongs to long-term timing only.
    m_boxes[kDateLineElement]->setVisible(!text.isEmpty() && stage().longTerm());
}

void TextLines::setDynamicText(const QString& text)
{
    QLabel* label = m_lines[kDynamicTextElement];
    m_dynamicText = text;
    label->setText(text);
    label->setAccessibleName(text);
    label->adjustSize();
    m_marquee->restartText();
    fitBox(kDynamicTextElement);
    m_place(kDynamicTextElement);
    refresh(kDynamicTextElement);
}

void TextLines::stepMarquee()
{
    QFrame* box = m_boxes[kDynamicTextElement];
    if (!stage().showDynamicText() || m_lines[kDynamicTextElement]->text().isEmpty()) {
        box->hide();
        m_marquee->setRunning(false);
        return;
    }
    refresh(kDynamicTextElement);
    if (m_marquee->advance())
        box->show();
}

void TextLines::fitBox(int index)
{
    QLabel* label = m_lines[index];
    label->adjustSize();
    if (index == kDynamicTextElement) {
        m_boxes[index]->resize(m_marquee->boxWidthPixels(), label->height());
        m_marquee->placeText();
    } else if (index > 0) {
        label->move(0, 0);
        m_boxes[index]->resize(label->size());
    }
}

void TextLines::refresh(int index)
{
    if (index < kSubtitleElement || index > kDynamicTextElement)
        return;
    const StageSettings& settings = stage();
    QLabel* label = m_lines[index];
    QFrame* box = m_boxes[index];
    label->adjustSize();
    if (!label->text().isEmpty()) {
        switch (index) {
        case kDateLineElement:
            box->resize(label->size());
            if (!settings.longTerm()) {
                box->hide();
                return;
            }
            break;
        case kPromptElement:
            if (settings.longTerm() && settings.promptShowsWeekday()) {
                label->setText(weekdayText());
                label->setAccessibleName(label->text());
                label->adjustSize();
            }
            box->resize(label->size());
            break;
        case kDynamicTextElement:
            box->resize(m_marquee->boxWidthPixels(), label->height());
            if (!settings.showDynamicText() && !m_adjusting && label->text() != placeholder(index)) {
                box->hide();
                return;
            }
            break;
        default:
            box->resize(label->size());
            break;
        }
    }
    box->setVisible(!label->text().isEmpty());
    box->update();
}

void TextLines::setAdjusting(bool on)
{
    m_adjusting = on;
    showPlaceholders(on);
}

void TextLines::showPlaceholders(bool on)
{
    for (int index = 0; index < 5; ++index) {
        if (on)
            showPlaceholder(index);
        else
            hidePlaceholder(index);
    }
}

void TextLines::showPlaceholder(int index)
{
    QLabel* label = m_lines[index];
    // The date line exists only in long-term timing.
    if (!label->text().isEmpty() || (index == kDateLineElement && !stage().longTerm()))
        return;
    label->setText(placeholder(index));
    label->setAccessibleName(label->text());
    fitBox(index);
    if (index == kDynamicTextElement) {
        m_marquee->centreText();
        m_marquee->placeText();
    }
    m_place(index);
    box(index)->show();
    refresh(index);
}

void TextLines::hidePlaceholder(int index)
{
    QLabel* label = m_lines[index];
    if (label->text() != placeholder(index))
        return;
    label->clear();
    label->setAccessibleName(QString());
    box(index)->hide();
}

void TextLines::hidePlaceholders()
{
    // The adjust mode of the window keeps them.
    if (!m_adjusting)
        showPlaceholders(false);
}

void TextLines::previewSize(int index, int points)
{
    QLabel* label = m_lines[index];
    QFont font = label->font();
    font.setPointSize(points);
    label->setFont(font);
    fitBox(index);
    m_place(index);
}

} // namespace melvanta
