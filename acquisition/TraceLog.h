#pragma once

#include "common/DailyLog.h"

namespace qemra {

// The daily trace of write verifications ("yymmdd" + "QemraKVS.log" in the base folder).
class TraceLog {
public:
    TraceLog(QString folder, const Clock& clock);
    void Write(const QString& text) const;
    QString FileNameFor(TDateTime when) const { return log_.FileNameFor(when); }

private:
    DailyLog log_;
};

}  // namespace qemra
