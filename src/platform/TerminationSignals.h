#pragma once

#include <QObject>

class QSocketNotifier;

namespace melvanta {

// Turns the signals that end a session's programs (SIGTERM at logout or from
// `kill`, SIGHUP, SIGINT) into a Qt signal, so that the program ends the way
// "退出" ends it: the run halted, the windows closed, the lock removed.
// One object per program.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace melvanta
