#include "app/EndSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace qemra {

sigset_t EndSignals::Set()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, number);
    return set;
}

void EndSignals::Block()
{
    const sigset_t set = Set();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

EndSignals::EndSignals()
{
    const sigset_t set = Set();
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Read(); });
}

EndSignals::~EndSignals()
{
    notifier_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

void EndSignals::Read()
{
    signalfd_siginfo info{};
    bool any = false;
    while (::read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        any = true;
    if (!any)
        return;
    received_ = true;
    if (OnSignal)
        OnSignal();
    else
        QCoreApplication::exit(0);
}

}  // namespace qemra
