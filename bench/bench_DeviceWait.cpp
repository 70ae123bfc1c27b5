// What a device wait costs while the device is silent: the process should sleep on the
// event loop, so its CPU time stays a small fraction of the wall time.
#include "ConfigRecord.h"
#include "DeviceCommands.h"
#include "DeviceLink.h"
#include "DeviceTransport.h"
#include "FakeDevice.h"
#include "ProcessCpu.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

void BM_SilentDeviceWait(benchmark::State &state)
{
    DeviceLink link;
    ResetLinkState();
    LinkState().Running = true;
    Config().TCPTimeOut = 2;
    FakeDevice device;
    if (!device.Listen()) {
        state.SkipWithError("no free loopback address");
        return;
    }
    FakeDevice::Knob silent;
    silent.behaviour = FakeDevice::Behaviour::Silent;
    device.SetKnob(DeviceCommand::Identify(), silent);
    const QByteArray request = PadWithNulls(DeviceCommand::Identify());

    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        QElapsedTimer waited;
        waited.start();
        QByteArray reply;
        benchmark::DoNotOptimize(ReadFromKV(device.Address(), kDevicePort, request, reply,
                                            kFrameLength, ProgressForm::None, false));
        wall += double(waited.nsecsElapsed()) / 1e9;
        cpu += ProcessCpuSeconds() - cpuBefore;
    }
    state.counters["wall_s"] = wall / double(state.iterations());
    state.counters["cpu_s"] = cpu / double(state.iterations());
    state.counters["cpu_per_wall"] = cpu / wall;
}

} // namespace

BENCHMARK(BM_SilentDeviceWait)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
