// The simulated machine's scenario text and file.
#include "UsbScenario.h"

#include <gmock/gmock.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace usbkey::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(SimScenario, BadLinesAreReportedWithTheirNumber)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"hub name=H ports=2\nbogus x=1", "line 2: unknown item \"bogus\""},
        {"hub name=H ports=x", "line 1: bad number \"x\""},
        {"hub name=H ports=2 colour=red", "line 1: unknown field \"colour\""},
        {"device hub=NONE port=1", "line 1: unknown hub \"NONE\""},
        {"hub name=H ports=2\ndevice hub=H port=3", "line 2: no port 3 on hub H"},
        {"hub name=H ports=2\ndevice hub=H port=1\ndevice hub=H port=1", "line 3: port 1 used twice"},
        {"node id=A parent=B", "line 1: unknown parent \"B\""},
        {"node id=A friendly=\"open", "line 1: unterminated quote"},
        {"mount letter=EE volume=V", "line 1: bad drive letter \"EE\""},
        {"fault ioctl", "line 1: ioctl fault needs code="},
        {"fault sometimes", "line 1: unknown fault \"sometimes\""},
        {"slow close name=H", "line 1: slow needs the kind open"},
        {"slow open ms=10", "line 1: missing name="},
        {"slow open name=H ms=60001", "line 1: bad number \"60001\""},
        {"hub name=H ports=1\ndevice hub=H port=1 serial=raw:0A0", "line 2: odd raw descriptor"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CSimUsbMachine machine;
        std::string error;
        EXPECT_FALSE(machine.Load(c.text, error));
        EXPECT_EQ(c.error, error);
    }
}

// A slow device keeps the enumeration waiting, and still answers.
TEST(SimScenario, ASlowOpenTakesItsTimeAndSucceeds)
{
    const std::string scenario = std::string(kOneController) + "device hub=RH0 port=1 driver=K1 vid=1 pid=1\n";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THAT(VendorIds(EnumerateScenario(scenario + "slow open name=\\\\.\\HCD0 ms=300\n")), ElementsAre(1));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
}

TEST(SimScenario, PulledTagsLeaveTheirLinesOut)
{
    const std::string scenario = std::string(kOneController) +
                                 "device hub=RH0 port=1 driver=K1 vid=1 pid=1 tag=key\n"
                                 "device hub=RH0 port=2 driver=K2 vid=2 pid=1 tag=other\n";
    EXPECT_THAT(VendorIds(EnumerateScenario(scenario)), ElementsAre(1, 2));
    EXPECT_THAT(VendorIds(EnumerateScenario(scenario + "pulled key\n")), ElementsAre(2));
    EXPECT_THAT(VendorIds(EnumerateScenario("pulled other\n" + scenario + "pulled key\n")), IsEmpty());

    const std::string pulled = SetScenarioTagPulled(scenario, "key", true);
    EXPECT_EQ(scenario + "pulled key\n", pulled);
    EXPECT_EQ(pulled, SetScenarioTagPulled(pulled, "key", true));
    EXPECT_EQ(scenario, SetScenarioTagPulled(pulled, "key", false));
}

TEST(SimScenario, WatchedFileIsReadAgainWhenItChanges)
{
    const auto path = std::filesystem::temp_directory_path() /
                      ("usbsim-" + std::to_string(std::random_device{}()) + ".txt");
    auto write = [&](const std::string& text) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    };
    const std::string device = std::string(kOneController) + "device hub=RH0 port=1 driver=K1 vid=1 pid=1 tag=key\n";
    write(device);
    CSimUsbMachine machine;
    machine.WatchScenarioFile(path.string());
    EXPECT_EQ(1u, Enumerate(machine).size());
    write(device + "pulled key\n");
    EXPECT_THAT(Enumerate(machine), IsEmpty());
    write(device + "bogus\n");
    EXPECT_THAT(Enumerate(machine), IsEmpty());
    EXPECT_THAT(machine.LastError(), HasSubstr("line 4"));
    std::filesystem::remove(path);
    EXPECT_THAT(Enumerate(machine), IsEmpty());
    EXPECT_THAT(machine.LastError(), HasSubstr("cannot read"));
}

} // namespace
} // namespace usbkey::test
