#pragma once

#include "display/ElementLayout.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QFrame;
class QLabel;
class QWidget;

namespace melvanta {

class CurrentStage;
class MarqueeLine;
class ProfileReader;
struct StageSettings;

// The five text lines of the clock window: main title, subtitle, date line,
// prompt and dynamic text, each but the first standing in a box of its own.
// They follow the current stage's fonts and colours, the dynamic text
// scrolls, and while the elements are being adjusted an empty line shows
// its name so that it can be found and moved.
class TextLines : public QObject
{
    Q_OBJECT
public:
    // `place` puts an element (ElementIndex) where the layout wants it, once
    // its box has a new size.
    TextLines(QWidget& window, const CurrentStage& stage, std::function<TwipsScale()> scale,
              std::function<void(int)> place);

    QLabel* line(int index) const { return m_lines.at(index); }
    // The box of line 1 ... 4; line 0 is its own box.
    QWidget* box(int index) const;
    MarqueeLine& marquee() const { return *m_marquee; }

    // The stage's fonts, colours and sizes, its titles, and empty date and
    // prompt lines; the dynamic text stays.
    void applyStage(const ProfileReader& profile);
    void setPrompt(const QString& text);
    const QString& prompt() const { return m_prompt; }
    void setPromptVisible(bool visible);
    // A message of the operator's stands on the prompt line, over the
    // phases' prompts, until it is taken away ("").
    void setOperatorMessage(const QString& text);
    void setDateLine(const QString& text);
    void setDynamicText(const QString& text);
    const QString& dynamicText() const { return m_dynamicText; }
    // One step of the marquee.
    void stepMarquee();
    // `dongtaiRefresh`: fits the box of line 1 ... 4 to its text and shows it
    // when it has something to show.
    void refresh(int index);
    // Fits a box to its line (the dynamic text's box keeps the marquee width).
    void fitBox(int index);
    // Empty lines show their names while adjusting.
    void setAdjusting(bool on);
    // An empty line shows its name so that it can be found; for the
    // adjustment tool of the settings dialog, line by line.
    void showPlaceholder(int index);
    // The names shown for adjusting go again, unless the window is adjusting.
    void hidePlaceholders();
    // Redraws a line at `points` without changing the stage.
    void previewSize(int index, int points);

private:
    const StageSettings& stage() const;
    void showPlaceholders(bool on);
    void hidePlaceholder(int index);

    const CurrentStage& m_stage;
    std::function<void(int)> m_place;
    std::array<QLabel*, 5> m_lines{};
    std::array<QFrame*, 5> m_boxes{}; // [0] unused
    MarqueeLine* m_marquee = nullptr;
    QString m_dynamicText;
    QString m_prompt;
    QString m_operatorMessage;
    bool m_adjusting = false;
};

} // namespace melvanta
