#include "lockcore/EventPublisher.h"

#include <gtest/gtest.h>

#include "lockcore/EventMessage.h"
#include "tests/lockcore/ChildProcess.h"
#include "tests/lockcore/TestLog.h"
#include "tests/lockcore/TestNames.h"

namespace {

// Under the system's own message names, so it shares the lock of every test that runs a
// server or client of them (the resident program's end-to-end tests).
TEST(EventPublisher, PublishesTheRecordUnderTheSystemNames)
{
    CEventPublisher publisher;
    EXPECT_FALSE(publisher.Publish(EVENT_LOCK));
    const std::string log = TempFilePath("kvtest-publisher-" + UniqueSuffix() + ".log");
    DeleteFileA(log.c_str());
    std::string arguments;
    arguments.append(kEventRegisterMessage).append(" ").append(kEventAnnounceMessage).append(" ").append(log);
    ChildProcess client("LockCoreEventClient.exe", arguments);
    ASSERT_TRUE(client);
    ASSERT_TRUE(HasLine(WaitForLines(log, [](const auto& lines) { return HasLine(lines, "ready"); }), "ready"));
    ASSERT_TRUE(publisher.Start());
    // The client registers in answer to the server's announcement; its registration is
    // queued to the server before "announce" is logged, so the event queued next follows it.
    ASSERT_TRUE(HasLine(WaitForLines(log, [](const auto& lines) { return HasLine(lines, "announce"); }), "announce"));
    ASSERT_TRUE(publisher.Publish(EVENT_ALARM));
    const auto lines = WaitForLines(log, [](const auto& l) { return HasLine(l, "event 4"); });
    EXPECT_TRUE(HasLine(lines, "event 4"));
    publisher.Stop();
    EXPECT_FALSE(publisher.Publish(EVENT_LOCK));
    DeleteFileA(log.c_str());
}

} // namespace
