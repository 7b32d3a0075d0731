#include "acquisition/TraceLog.h"

#include <utility>

namespace qemra {

TraceLog::TraceLog(QString folder, const Clock& clock) : log_(std::move(folder), QStringLiteral("QemraKVS.log"), clock)
{
}

void TraceLog::Write(const QString& text) const { log_.Write(text); }

}  // namespace qemra
