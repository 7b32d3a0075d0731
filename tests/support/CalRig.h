#pragma once

#include "acquisition/PollCycle.h"
#include "acquisition/TraceLog.h"
#include "common/DateTime.h"
#include "common/Prompts.h"
#include "calibration/CalProcedure.h"
#include "tests/support/FakeFrameLink.h"
#include "tests/support/TempFolder.h"

#include <QStringList>
#include <memory>
#include <ostream>

namespace qemra {

// The calibration's plain code on a fake link: what it sends, the status lines it adds and the
// boxes it shows are all kept.
struct CalRig {
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 3, 5, 14, 7, 30)};
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakeFrameLink link;
    TraceLog trace{folder.path(), clock};
    PollCycle poll{*state, link, clock, trace};
    bool forceLog = false;
    TWritePrm prm;
    CalStats stats;
    RecordingPrompts prompts;
    QStringList status;
    bool tempRevOnly = false;
    bool atCheck = true;
    int shown = 0;
    CalProcedure procedure{poll, forceLog, *state, prm, stats, clock, prompts, folder.path(), Hooks()};

    CalProcedure::Hooks Hooks()
    {
        CalProcedure::Hooks hooks;
        hooks.TempRevOnly = [this] { return tempRevOnly; };
        hooks.ATCheck = [this] { return atCheck; };
        hooks.ShowCalStatus = [this] { ++shown; };
        hooks.AddStatusLine = [this](const QString& text) { status << text; };
        return hooks;
    }

    CalWriteBack& writeBack() { return procedure.WriteBack(); }
    QByteArray lastSent() const { return link.sent.empty() ? QByteArray() : link.sent.back(); }
    // The instrument takes the last write as it was sent.
    void Echo()
    {
        QByteArray payload = lastSent();
        payload.replace(0, 2, "AW");
        link.Deliver(payload);
    }
    // The file-name part of the start time.
    void StartAt(int year, int month, int day, int hour, int minute, int second = 0)
    {
        clock.Set(EncodeDateTime(year, month, day, hour, minute, second));
    }
};

}  // namespace qemra

// Readable texts in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '"' << list.join(QStringLiteral("\" | \"")).toStdString() << '"';
}
