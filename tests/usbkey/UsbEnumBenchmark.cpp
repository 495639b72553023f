// Cost of one enumeration run over simulated machines of growing size.
#include "usbkey/sim/SimUsbMachine.h"
#include "usbkey/UsbDeviceEnumerator.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string Hex4(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}

// `controllers` root hubs plus external hubs up to `hubs`, each external hub on a root
// hub; devices spread over all hubs, each a memory device with a disk and a volume.
std::string MachineScenario(int controllers, int hubs, int devices)
{
    std::vector<std::vector<std::string>> ports(static_cast<std::size_t>(hubs));
    for (int h = controllers; h < hubs; ++h)
        ports[static_cast<std::size_t>(h % controllers)].push_back("exthub name=HUB" + std::to_string(h));
    std::string nodes;
    for (int d = 0; d < devices; ++d) {
        const std::string id = "USB\\VID_0951&PID_" + Hex4(d) + "\\SN" + std::to_string(d);
        const std::string volume = "STORAGE\\VOLUME\\" + std::to_string(d);
        ports[static_cast<std::size_t>(d % hubs)].push_back("device driver=DRV" + std::to_string(d) +
                                                            " vid=0951 pid=" + Hex4(d) + " serial=SN" + std::to_string(d));
        nodes += "node id=" + id + " driver=DRV" + std::to_string(d) + " desc=\"USB Mass Storage Device\" removal=" +
                 volume + "\nnode id=USBSTOR\\DISK\\" + std::to_string(d) + " parent=" + id +
                 " friendly=\"Disk USB Device\"\nnode id=" + volume + " desc=Volume\n";
        if (d < 24) {
            const std::string name = "\\\\?\\Volume{" + std::to_string(d) + "}\\";
            nodes += "mount letter=" + std::string(1, static_cast<char>('A' + d)) + " volume=" + name +
                     "\nvolume path=\\\\?\\STORAGE#Volume#" + std::to_string(d) + " volume=" + name +
                     " node=" + volume + "\n";
        }
    }
    std::string text;
    for (int c = 0; c < controllers; ++c)
        text += "controller name=\\\\.\\HCD" + std::to_string(c) + " driver=HC" + std::to_string(c) +
                " roothub=HUB" + std::to_string(c) + "\n";
    for (int h = 0; h < hubs; ++h) {
        const auto& list = ports[static_cast<std::size_t>(h)];
        text += "hub name=HUB" + std::to_string(h) + " ports=" + std::to_string(list.size()) + "\n";
        for (std::size_t p = 0; p < list.size(); ++p) {
            const std::string& item = list[p];
            const std::size_t space = item.find(' ');
            text += item.substr(0, space) + " hub=HUB" + std::to_string(h) + " port=" + std::to_string(p + 1) +
                    item.substr(space) + "\n";
        }
    }
    return text + nodes;
}

void EnumerateMachine(benchmark::State& state)
{
    const int controllers = static_cast<int>(state.range(0));
    const int hubs = static_cast<int>(state.range(1));
    const int devices = static_cast<int>(state.range(2));
    usbkey::CSimUsbMachine machine;
    std::string error;
    if (!machine.Load(MachineScenario(controllers, hubs, devices), error))
        throw std::runtime_error(error);
    std::vector<usbkey::CUsbDevice> found;
    usbkey::CUsbKeyDeviceEnumerator enumerator(machine, found);
    for (auto _ : state) {
        enumerator.Enumerate();
        benchmark::DoNotOptimize(found.data());
    }
    if (found.size() != static_cast<std::size_t>(devices))
        throw std::runtime_error("found " + std::to_string(found.size()) + " devices");
    state.counters["devices"] = devices;
    state.SetComplexityN(devices);
}

BENCHMARK(EnumerateMachine)
    ->Args({1, 1, 4})
    ->Args({4, 20, 100})
    ->Args({4, 20, 200})
    ->Args({4, 20, 400})
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
