#include "lockcore/EventPublisher.h"

#include <gtest/gtest.h>

#include "lockcore/EventMessage.h"
#include "tests/lockcore/ChildProcess.h"
#include "tests/lockcore/TestLog.h"
#include "tests/lockcore/TestNames.h"

namespace {

// Under the system's own message names; SERIAL, as any other server of them would cross.
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
    WaitForLines(log, [](const auto& lines) { return HasLine(lines, "ready"); });
    ASSERT_TRUE(publisher.Start());
    ASSERT_TRUE(publisher.Publish(EVENT_ALARM));
    const auto lines = WaitForLines(log, [](const auto& l) { return HasLine(l, "event 4"); });
    EXPECT_TRUE(HasLine(lines, "event 4"));
    publisher.Stop();
    EXPECT_FALSE(publisher.Publish(EVENT_LOCK));
    DeleteFileA(log.c_str());
}

} // namespace
