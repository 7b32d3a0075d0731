#pragma once

#include "acquisition/PollCycle.h"
#include "acquisition/TraceLog.h"
#include "tests/support/FakeFrameLink.h"
#include "tests/support/TempFolder.h"

#include <QPlainTextEdit>
#include <QStringList>
#include <gtest/gtest.h>

namespace qemra {

// The real poll cycle over a fake link, as the writers use it.
struct WriterFixture {
    TempFolder folder;
    FakeClock clock{EncodeDateTime(2024, 1, 15, 9, 5, 7)};
    SharedState state;
    FakeFrameLink link;
    TraceLog trace{folder.path(), clock};
    PollCycle poll{state, link, clock, trace};

    // The instrument's echo of the last write request, every pair as sent.
    void EchoLastRequest()
    {
        ASSERT_FALSE(link.sent.empty());
        QByteArray payload = link.sent.back();
        ASSERT_TRUE(payload.startsWith("RW,"));
        link.Deliver("AW," + payload.mid(3));
    }
};

inline QStringList MemoLines(const QPlainTextEdit* memo)
{
    const QString text = memo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split(u'\n');
}

}  // namespace qemra
