#include "settings/NumberBox.h"

#include "support/MessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

namespace melvanta {

namespace {

// Nine digits hold every value a box accepts and cannot overflow a number.
constexpr int kMaxDigits = 9;

} // namespace

NumberBox::NumberBox(const QString& objectName, const QString& accessibleName, QWidget* parent) : QLineEdit(parent)
{
    setObjectName(objectName);
    setAccessibleName(accessibleName);
    setMaxLength(kMaxDigits);
    // A paste through the context menu that holds anything but digits is refused.
    setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    connect(this, &QLineEdit::textChanged, this, [this] { runRule(false); });
}

void NumberBox::fill(const QString& text)
{
    const QSignalBlocker blocker(this);
    setText(text);
}

void NumberBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        const int room = maxLength() - int(text().size()) + int(selectedText().size());
        insert(digitsOnly(QApplication::clipboard()->text(), qMax(0, room)));
        event->accept();
        return;
    }
    const QString typed = event->text();
    const bool character = !typed.isEmpty() && typed.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier);
    if (character && !(typed.size() == 1 && typed.at(0).isDigit() && typed.at(0).unicode() < 128)) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    runRule(true);
}

void NumberBox::runRule(bool leaving)
{
    // A message shown by the rule, or the text it sets, must not run the rule
    // again from inside itself.
    if (m_ruling || !m_rule)
        return;
    m_ruling = true;
    const BoxVerdict verdict = m_rule(text(), leaving);
    if (verdict.text != text()) {
        setText(verdict.text);
        setCursorPosition(int(verdict.text.size()));
    }
    if (!verdict.message.isEmpty())
        MessageBox::notice(verdict.message, 1000, window(),
                           verdict.title.isEmpty() ? QString::fromLatin1(kMessageTitle) : verdict.title);
    m_ruling = false;
    emit ruled();
}

SpinButtons::SpinButtons(NumberBox* box, int low, int high, const QString& objectName)
    : QScrollBar(Qt::Vertical, box->parentWidget()), m_box(box), m_low(low), m_high(high)
{
    setObjectName(objectName);
    setAccessibleName(box->accessibleName() + QStringLiteral(" 增减"));
    setRange(0, high - low);
    setFixedSize(16, 28);
    setFocusPolicy(Qt::NoFocus);
    connect(box, &NumberBox::ruled, this, &SpinButtons::follow);
    connect(this, &QScrollBar::valueChanged, this,
            [this](int value) { m_box->setText(QString::number(m_high - value)); });
}

void SpinButtons::follow()
{
    bool ok = false;
    const int value = m_box->text().toInt(&ok);
    if (!ok || value < m_low || value > m_high)
        return;
    const QSignalBlocker blocker(this);
    setValue(m_high - value);
}

} // namespace melvanta
