#pragma once

#include "acquisition/PollCycle.h"
#include "parameters/ParameterSet.h"

#include <QCoreApplication>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace qemra {

// One key and the value text it carries in a calibration batch.
struct CalPair {
    QString Key;
    QString Value;
};

// The calibration's batches of parameter writes and their echo check. Every batch suspends
// polling and forces frame logging; the step machine switches both back once a batch is confirmed.
class CalWriteBack {
    Q_DECLARE_TR_FUNCTIONS(CalWriteBack)

public:
    using StatusSink = std::function<void(const QString&)>;

    static constexpr int kDefaultGroupCount = 6;

    // `forceLog` is the link window's log-every-frame flag; `tempRevOnly` tells whether only the
    // air-temperature corrections may be written.
    CalWriteBack(PollCycle& poll, bool& forceLog, TMySts& status, const TWritePrm& prm, StatusSink addStatusLine,
                 std::function<bool()> tempRevOnly);

    std::int32_t DefGroup = 0;

    void AddStatusLine(const QString& text) const;

    // The senders return false when the batch cannot go out in one request (a value too long or
    // not a number): nothing is sent, the lists are released and the status memo says why.
    void SendSettingInit();
    // Restart sends group 0, advance the next group, neither the current one again; true (and
    // nothing sent) once advancing passes the last group.
    bool SendDefaultGroup(bool advance, bool restart);
    bool SendDefaultValues(int group);
    // False when the last batch could not be sent.
    bool LastBatchSent() const { return lastBatchSent_; }
    // Gives up the batch under way (the link is gone): no echo is awaited any more.
    void Abandon();
    bool SendTempRevisions();
    bool SendWDTRevisions();
    bool Send0mRevision();
    bool SendNmRevision();
    // Compares the echo with the pairs of the last batch as the answer list holds it now.
    bool CheckCalWrite();

    // The pairs of each batch as they would be sent now; the senders use these.
    static std::vector<CalPair> SettingInitPairs();
    static std::vector<CalPair> DefaultGroupPairs(const TWritePrm& prm, int group);
    static std::vector<CalPair> TempRevisionPairs(const TWritePrm& prm);
    static std::vector<CalPair> WDTRevisionPairs(const TWritePrm& prm);
    static std::vector<CalPair> ZeroRevisionPairs(const TWritePrm& prm);
    static std::vector<CalPair> NmRevisionPairs(const TWritePrm& prm);

private:
    bool SendBatch(const std::vector<CalPair>& pairs, const QString& statusLine, bool setPending);

    PollCycle& poll_;
    bool& forceLog_;
    TMySts& status_;
    const TWritePrm& prm_;
    StatusSink addStatusLine_;
    std::function<bool()> tempRevOnly_;
    bool lastBatchSent_ = true;
};

}  // namespace qemra
