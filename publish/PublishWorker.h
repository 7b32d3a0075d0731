#pragma once

#include "acquisition/Records.h"
#include "common/DateTime.h"
#include "publish/Discovery.h"
#include "publish/MinuteForwarder.h"
#include "publish/MqttClient.h"
#include "publish/Payloads.h"
#include "publish/PublishSettings.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace qemra {

// The pause before the next connection attempt: `first` after a failure, doubled after each further
// one up to `last`, and `first` again once a connection held for `steady`.
struct ReconnectBackoff {
    std::chrono::milliseconds first{1000};
    std::chrono::milliseconds last{60000};
    std::chrono::milliseconds steady{30000};
    // How long a broker may take to answer the CONNECT.
    std::chrono::milliseconds connack{10000};
};

// The publishing thread's work: the connection to the broker with its network loop, the live values
// and the minute rows. Everything that may wait (name lookups, connects, the socket, reading the
// record files, flushing the state file) happens here. The event-loop thread only leaves values and
// news in the mailbox, which costs it a lock and a copy; news comes back as queued calls on `context`.
//
// It runs its own loop rather than the library's, as that one gives up for good after a TLS or
// name-lookup failure, where a station left alone for days must keep trying.
class PublishWorker {
public:
    // Run on `context`'s thread.
    struct Reports {
        std::function<void()> connected;
        std::function<void(const QString& reason)> failed;   // an attempt failed or the connection ended
        std::function<void(TDateTime row)> acknowledged;     // the state file now names this row
        std::function<void(const QString& reason)> refused;  // the broker refused a message it was given
    };

    PublishWorker(PublishSettings settings, QString recordFolder, QString stateFilePath, ReconnectBackoff backoff,
                  QObject* context, Reports reports);

    // Before Run(), on any thread: the client's set-up and the state file. False with the reason.
    // `notice` tells of a state file that could not be taken (a time later than `now`).
    bool Setup(TDateTime now, QString& error, QString& notice);
    // The thread's body, until Finish().
    void Run();

    // From the event-loop thread.
    void OfferLive(const TMesData& values, TDateTime now);
    void RowsWritten(TDateTime now);
    // What the instrument says of itself: the discovery messages go out again when it changes.
    void OfferDevice(const DeviceInfo& device);
    // Asks the thread to end, sending the retained "offline" first while connected; true when it
    // has ended within `bound`. No report arrives after this.
    bool Finish(std::chrono::milliseconds bound);

private:
    struct Live {
        TMesData values;
        TDateTime time = 0;
    };
    // What the event-loop thread leaves for the thread; guarded by `mutex_`.
    struct Mailbox {
        std::optional<Live> live;
        bool rowsWritten = false;
        TDateTime now = 0;
        bool finishing = false;
        DeviceInfo device;  // the latest, kept across passes
    };

    void Serve(const Mailbox& mail);
    void Announce(const DeviceInfo& device);
    void SayGoodbye(int& rc);
    Mailbox TakeMailbox();
    template <typename Call>
    void Report(Call&& call);
    QByteArray Topic(const char* name) const;

    const PublishSettings settings_;
    const ReconnectBackoff backoff_;
    const Reports reports_;
    MqttClient client_;
    MinuteForwarder forwarder_;
    PayloadWriter livePayloads_;
    // Set by the client's handlers during a pass.
    bool accepted_ = false;
    bool justAccepted_ = false;
    std::chrono::steady_clock::time_point acceptedAt_{};
    bool acknowledgements_ = false;
    bool catchingUp_ = false;  // rows from before the present connection are still going out
    DeviceInfo announced_;  // the device the last discovery messages named
    int goodbyeMid_ = -1;
    bool goodbyeAcknowledged_ = false;

    std::mutex mutex_;
    std::condition_variable wake_;
    Mailbox mailbox_;
    QObject* context_;       // guarded by `mutex_`; null once nobody listens
    bool finished_ = false;  // guarded by `mutex_`
};

}  // namespace qemra
