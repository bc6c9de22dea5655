#pragma once

#include "core/StageSettings.h"

#include <QObject>

namespace melvanta {

// The one current stage of the program. The clock window, the timing engine,
// the element menu and (later) the settings dialog, the stage list and the
// hotkeys all read it here and replace it through replace(); nobody keeps a
// copy that could fall out of step.
class CurrentStage : public QObject
{
    Q_OBJECT
public:
    explicit CurrentStage(const StageSettings& initial = StageSettings::defaults(), QObject* parent = nullptr)
        : QObject(parent), m_stage(initial)
    {}

    const StageSettings& get() const { return m_stage; }
    // Makes `stage` the current stage; says so when it differs.
    void replace(const StageSettings& stage)
    {
        if (stage == m_stage)
            return;
        m_stage = stage;
        Q_EMIT changed();
    }

Q_SIGNALS:
    void changed();

private:
    StageSettings m_stage;
};

} // namespace melvanta
