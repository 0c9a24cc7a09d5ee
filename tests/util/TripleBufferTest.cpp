#include "util/TripleBuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>

namespace
{

using halvo::TripleBuffer;

TEST (TripleBuffer, ReaderSeesOnlyTheNewestPublication)
{
    TripleBuffer<int> mailbox (-1);

    EXPECT_FALSE (mailbox.fetch());
    EXPECT_EQ (mailbox.read(), -1);
    EXPECT_EQ (mailbox.readVersion(), 0u);

    mailbox.publish (10);
    mailbox.publish (20);
    EXPECT_EQ (mailbox.getPublishedVersion(), 2u);

    ASSERT_TRUE (mailbox.fetch());
    EXPECT_EQ (mailbox.read(), 20);
    EXPECT_EQ (mailbox.readVersion(), 2u);

    // Nothing new: the reader keeps what it has.
    EXPECT_FALSE (mailbox.fetch());
    EXPECT_EQ (mailbox.read(), 20);

    mailbox.publish (30);
    ASSERT_TRUE (mailbox.fetch());
    EXPECT_EQ (mailbox.read(), 30);
    EXPECT_EQ (mailbox.readVersion(), 3u);
}

TEST (TripleBuffer, WriterNeverOverwritesWhatTheReaderHolds)
{
    TripleBuffer<int> mailbox;
    mailbox.publish (1);
    ASSERT_TRUE (mailbox.fetch());

    // However often the writer publishes, the value in the reader's hands stays put.
    for (int i = 2; i < 50; ++i)
    {
        mailbox.publish (i);
        EXPECT_EQ (mailbox.read(), 1);
    }

    ASSERT_TRUE (mailbox.fetch());
    EXPECT_EQ (mailbox.read(), 49);
}

TEST (TripleBuffer, ConcurrentReaderNeverSeesATornValue)
{
    // Each publication fills the whole table with one number; a torn read would mix two.
    using Table = std::array<int, 256>;
    TripleBuffer<Table> mailbox;
    constexpr int publications = 20000;
    std::atomic<bool> writerDone { false };

    std::thread writer ([&]
    {
        Table table {};
        for (int i = 1; i <= publications; ++i)
        {
            table.fill (i);
            mailbox.publish (table);
        }
        writerDone = true;
    });

    int lastSeen = 0;
    uint32_t lastVersion = 0;
    bool consistent = true;
    bool ordered = true;

    for (;;)
    {
        const bool done = writerDone.load();

        if (! mailbox.fetch())
        {
            if (done)
                break;
            continue;
        }

        const auto& table = mailbox.read();
        const int first = table[0];
        for (const int value : table)
            consistent = consistent && value == first;

        ordered = ordered && first > lastSeen && mailbox.readVersion() > lastVersion
                  && mailbox.readVersion() == static_cast<uint32_t> (first);
        lastSeen = first;
        lastVersion = mailbox.readVersion();
    }

    writer.join();

    EXPECT_TRUE (consistent);
    EXPECT_TRUE (ordered);
    EXPECT_EQ (mailbox.read()[255], publications);
}

} // namespace
