#pragma once

#include "settings/EntryRules.h"

#include <QLineEdit>
#include <QScrollBar>

#include <functional>

namespace melvanta {

// A numeric box of the settings dialog: it takes digits, Backspace and
// Enter, cleans what is pasted into it to digits, and runs its rule while
// the operator types and when the box is left. A rule's message shows for a
// second without taking the focus, so typing goes on in the box.
class NumberBox : public QLineEdit
{
    Q_OBJECT
public:
    using Rule = std::function<BoxVerdict(const QString& text, bool leaving)>;

    NumberBox(const QString& objectName, const QString& accessibleName, QWidget* parent = nullptr);
    void setRule(Rule rule) { m_rule = std::move(rule); }
    // The text as the dialog fills it, without running the rule.
    void fill(const QString& text);

signals:
    // After the rule has run on a change or on leaving the box.
    void ruled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void runRule(bool leaving);

    Rule m_rule;
    bool m_ruling = false;
};

// The spin buttons beside a numeric box: a short vertical scroll bar whose
// up arrow counts the box up. Its value runs upside down (high − box value),
// as the stored dialogs had it.
class SpinButtons : public QScrollBar
{
    Q_OBJECT
public:
    SpinButtons(NumberBox* box, int low, int high, const QString& objectName);
    // Follows the box's value after the box was filled or ruled.
    void follow();

private:
    NumberBox* m_box;
    int m_low;
    int m_high;
};

} // namespace melvanta
