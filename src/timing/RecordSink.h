#pragma once

#include "timing/RunState.h"

#include <QDateTime>

namespace melvanta {

// Where the engine hands the record of every finished run, once per run.
class RecordSink
{
public:
    virtual ~RecordSink() = default;
    // Takes the record of the run in `state`; may fill in its stage label.
    // Returns whether the record was taken (recording may be switched off).
    virtual bool WriteTimingRecord(RunState& state, const QDateTime& now) = 0;
};

} // namespace melvanta
