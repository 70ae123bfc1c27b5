// What one polling cycle costs the station against what the devices make it wait: CPU per
// polled device next to a bare connect/exchange/close with the same fake device (the
// floor), the cycle's wall time next to the 100 ms pause each close takes, and the CPU of
// a wait on a silent device. The fakes answer from a thread of their own; CPU is the
// station thread's, and beside it every thread's of the process but the fakes' (what the
// program a user runs spends, painting included).
#include "ConfigRecord.h"
#include "DeviceCommands.h"
#include "DeviceLink.h"
#include "DeviceTransport.h"
#include "EventWait.h"
#include "FakeDevice.h"
#include "Polling.h"
#include "ProcessCpu.h"
#include "ProgramFolder.h"
#include "SensorRecordFiles.h"
#include "ServerDatabase.h"
#include "StatusBoard.h"
#include "StatusGrid.h"
#include "frmMain.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <pthread.h>
#include <sys/resource.h>

#include <algorithm>
#include <array>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int kSensorsPerServer = 8;
constexpr double kClosePauseSeconds = 0.100;

// Fake devices living on their own thread, so their work is not the station's.
class FakeFleet {
public:
    FakeFleet()
    {
        m_thread.start();
        OnThread([this] { pthread_getcpuclockid(pthread_self(), &m_clock); });
    }
    ~FakeFleet()
    {
        OnThread([this] { m_devices.clear(); });
        m_thread.quit();
        m_thread.wait();
    }

    // `count` more devices with eight normal readings; their addresses.
    QStringList Add(int count, FakeDevice::Behaviour identify = FakeDevice::Behaviour::Normal)
    {
        QStringList addresses;
        OnThread([&] {
            for (int i = 0; i < count; ++i) {
                auto device = std::make_unique<FakeDevice>();
                if (!device->Listen())
                    return;
                for (int port = 0; port < kSensorsPerServer; ++port)
                    device->channels[port] = {qint16(70 + port), 0, 0};
                device->SetKnob(DeviceCommand::Identify(), {identify});
                addresses << device->Address();
                m_devices.push_back(std::move(device));
            }
        });
        return addresses;
    }

    // CPU time the fakes' thread has used so far, in seconds.
    double CpuSeconds() const { return ::CpuSeconds(m_clock); }

private:
    void OnThread(const std::function<void()> &work)
    {
        QObject context;
        context.moveToThread(&m_thread);
        QMetaObject::invokeMethod(&context, work, Qt::BlockingQueuedConnection);
    }

    QThread m_thread;
    clockid_t m_clock = CLOCK_THREAD_CPUTIME_ID;
    std::vector<std::unique_ptr<FakeDevice>> m_devices;
};

// A program folder with the shipped database and settings for quick, quiet cycles.
class ProgramFolderForBench {
public:
    ProgramFolderForBench()
    {
        QFile::copy(QStringLiteral(VANTREL_TEMPLATE_DB),
                    m_dir.filePath(QStringLiteral("zarvo.mdb")));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("zarvo.mdb")),
                              QFile::ReadOwner | QFile::WriteOwner);
        SetProgramFolder(m_dir.path());
        ServerDatabaseModule() = {};
        Config() = ConfigRecord();
        Config().TCPTimeOut = 3;
        Config().CommunicationRetry = 1;
        Config().UpdateRate = 60;
        SetupCrypt();
        SaveConfiguration();
    }
    ~ProgramFolderForBench()
    {
        CloseRecordFiles();
        SetProgramFolder({});
    }

    // One enabled server per address, each with eight named sensors.
    static void AddServers(const QStringList &addresses)
    {
        qint32 id = 0;
        for (const QString &ip : addresses) {
            AddServer(QStringLiteral("Server ") + ip, QStringLiteral("RK715"), ip, {}, 1, {}, {},
                      -1);
            ++id;
            for (int port = 0; port < kSensorsPerServer; ++port)
                SaveSensorRecord(id, QStringLiteral("Sensor %1").arg(port), qint16(port), {},
                                 QStringLiteral("Temperature"), QStringLiteral("90"),
                                 QStringLiteral("50"), QStringLiteral("0"));
        }
    }

private:
    QTemporaryDir m_dir;
};

template <typename Done> bool WaitFor(Done done)
{
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        YieldToEventLoop();
    }
    return true;
}

// Connect, a request and its reply for each command, close; no transport around it.
bool BareExchange(QTcpSocket &socket, const QString &address,
                  std::initializer_list<QByteArray> commands)
{
    socket.connectToHost(address, kDevicePort);
    if (!WaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }))
        return false;
    for (const QByteArray &command : commands) {
        socket.write(PadWithNulls(command));
        if (!WaitFor([&] { return socket.bytesAvailable() >= kFrameLength; }))
            return false;
        socket.readAll();
    }
    socket.disconnectFromHost();
    return WaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; });
}

// The floor: bare exchanges back to back. The median of several batches, as the machine
// may be busy with other work meanwhile.
double BareExchangeCpu(const QStringList &addresses)
{
    constexpr int kBatches = 5;
    constexpr int kPerBatch = 100;
    QTcpSocket socket;
    std::vector<double> batches;
    for (int batch = 0; batch < kBatches; ++batch) {
        const double before = ThreadCpuSeconds();
        for (int i = 0; i < kPerBatch; ++i)
            if (!BareExchange(socket, addresses.at(i % addresses.size()),
                              {DeviceCommand::Identify()}))
                return -1;
        batches.push_back((ThreadCpuSeconds() - before) / kPerBatch);
    }
    std::sort(batches.begin(), batches.end());
    return batches[kBatches / 2];
}

// The least a client doing the station's work per device can spend: identify, read the
// readings, close, each time after the devices' 100 ms pause, its wake-up included.
double PausedExchangeCpu(const QStringList &addresses)
{
    constexpr int kExchanges = 20;
    QTcpSocket socket;
    QTimer pause;
    pause.setTimerType(Qt::PreciseTimer);
    pause.setSingleShot(true);
    const double before = ThreadCpuSeconds();
    for (int i = 0; i < kExchanges; ++i) {
        pause.start(int(kClosePauseSeconds * 1000));
        if (!WaitFor([&] { return !pause.isActive(); }) ||
            !BareExchange(socket, addresses.at(i % addresses.size()),
                          {DeviceCommand::Identify(), DeviceCommand::ReadCurrentData()}))
            return -1;
    }
    return (ThreadCpuSeconds() - before) / kExchanges;
}

struct CycleFigures {
    double cpuPerDevice = 0;
    double processCpuPerDevice = 0; // every thread's but the fakes'
    double kernelShare = 0;         // of the thread's CPU, the part spent in system calls
    double wakesPerDevice = 0;
    double wall = 0;
};

rusage ThreadUsage()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage;
}

// The calling thread's CPU time in the kernel so far, in seconds.
double ThreadKernelSeconds()
{
    const rusage usage = ThreadUsage();
    return double(usage.ru_stime.tv_sec) + double(usage.ru_stime.tv_usec) / 1e6;
}

// How often the thread went to sleep so far: each sleep and wake-up costs the kernel.
long ThreadSleeps()
{
    return ThreadUsage().ru_nvcsw;
}

// A first cycle makes the record files and status lines; the ones after it are measured.
CycleFigures MeasureCycles(const FakeFleet &fleet, int servers, int cycles)
{
    LogRoutine();
    CycleFigures figures;
    const double processBefore = ProcessCpuSeconds() - fleet.CpuSeconds();
    const double kernelBefore = ThreadKernelSeconds();
    const long sleepsBefore = ThreadSleeps();
    const double cpuBefore = ThreadCpuSeconds();
    for (int i = 0; i < cycles; ++i) {
        QElapsedTimer wall;
        wall.start();
        LogRoutine();
        figures.wall += double(wall.nsecsElapsed()) / 1e9;
    }
    const double cpu = ThreadCpuSeconds() - cpuBefore;
    figures.cpuPerDevice = cpu / cycles / servers;
    figures.processCpuPerDevice =
        (ProcessCpuSeconds() - fleet.CpuSeconds() - processBefore) / cycles / servers;
    figures.kernelShare = (ThreadKernelSeconds() - kernelBefore) / cpu;
    figures.wakesPerDevice = double(ThreadSleeps() - sleepsBefore) / cycles / servers;
    figures.wall /= cycles;
    return figures;
}

struct Floors {
    double bare = 0;
    double paused = 0;
};

void PrintCycle(const char *where, int servers, int cycles, const CycleFigures &cycle,
                const Floors &floor)
{
    const double allowed = servers * kClosePauseSeconds;
    std::printf("%-8s %7d %6d %9.3f ms %9.3f ms %5.0f %% %5.1f %9.3f ms %6.1fx %9.3f ms %6.1fx "
                "%9.4f s %8.3f s %+6.2f %% %6.1f MB\n",
                where, servers, cycles, cycle.processCpuPerDevice * 1e3, cycle.cpuPerDevice * 1e3,
                cycle.kernelShare * 100, cycle.wakesPerDevice, floor.bare * 1e3,
                cycle.cpuPerDevice / floor.bare, floor.paused * 1e3,
                cycle.cpuPerDevice / floor.paused, cycle.wall, allowed,
                (cycle.wall / allowed - 1) * 100, ResidentMegabytes());
    std::fflush(stdout);
}

// The median of three runs of `measure`: one 2 s run is a few milliseconds of CPU, which a
// stray wake-up of the machine can double.
template <typename Measure> double MedianOfThree(Measure measure)
{
    std::array<double, 3> runs{measure(), measure(), measure()};
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

// CPU share of a wait on a device that never answers (TCPTimeOut 2: a 2 s wait), the
// connection already open.
double SilentWaitShare(const QString &address)
{
    Config().TCPTimeOut = 2;
    OpenWinSocket(address, kDevicePort);
    const double cpu = ThreadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QByteArray reply;
    ReadFromKV(address, kDevicePort, PadWithNulls(DeviceCommand::Identify()), reply, kFrameLength,
               ProgressForm::None, false);
    const double share = (ThreadCpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9);
    CloseWinSocket();
    Config().TCPTimeOut = 3;
    return share;
}

// The floor of that wait: the same 2 s on an event loop woken only by a 100 ms timer that
// does nothing, as the wait's progress clock wakes it.
double IdleTickShare()
{
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.start(100);
    const double cpu = ThreadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    const QDeadlineTimer until(2000);
    while (!until.hasExpired())
        YieldToEventLoop();
    return (ThreadCpuSeconds() - cpu) / (double(wall.nsecsElapsed()) / 1e9);
}

// One row: `servers` servers polled `cycles` times, headless or with the main window shown
// offscreen (what painting the grid, the status list, the lamp and the progress bar adds).
// Gives the CPU share of the silent wait measured afterwards; -1 when no fake could start.
double RunRow(FakeFleet &fleet, const QString &silent, int servers, int cycles, bool window)
{
    ProgramFolderForBench folder;
    const QStringList addresses = fleet.Add(servers);
    if (addresses.size() != servers)
        return -1;
    ProgramFolderForBench::AddServers(addresses);
    ResetLinkState();
    ResetPollingState();
    std::optional<DeviceLink> link;
    std::optional<StatusBoard> board;
    std::optional<PlainStatusGrid> grid;
    std::optional<frmMain> mainWindow;
    if (window) {
        mainWindow.emplace();
        mainWindow->ConfigureServerStatusGrid(servers * kSensorsPerServer);
        mainWindow->show();
        QApplication::processEvents();
    } else {
        link.emplace();
        InstallStatusBoard(&board.emplace());
        InstallStatusGrid(&grid.emplace(servers * kSensorsPerServer + 1));
    }
    LinkState().Running = true;
    const CycleFigures cycle = MeasureCycles(fleet, servers, cycles);
    PrintCycle(window ? "window" : "headless", servers, cycles, cycle,
               {BareExchangeCpu(addresses), PausedExchangeCpu(addresses)});
    const double wait = MedianOfThree([&] { return SilentWaitShare(silent); });
    LinkState().Running = false;
    if (!window) {
        InstallStatusBoard(nullptr);
        InstallStatusGrid(nullptr);
    }
    return wait;
}

} // namespace

// Without arguments the whole table; `bench_poll_cycle SERVERS [window]` runs one row of
// three cycles, to profile it.
int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    RaiseOpenFileLimit(); // as the station does at start-up
    QApplication app(argc, argv);
    FakeFleet fleet;
    const QString silent = fleet.Add(1, FakeDevice::Behaviour::Silent).value(0);

    std::printf("Polling cycle, %d sensors per server; CPU per device of the whole process (the "
                "fakes' thread left out) and of the station's thread\n",
                kSensorsPerServer);
    std::printf("%-8s %7s %6s %12s %12s %7s %5s %12s %7s %12s %7s %11s %10s %8s %9s\n", "",
                "servers", "cycles", "process", "cpu/device", "kernel", "wakes", "bare exch.",
                "ratio", "paused poll", "ratio", "cycle wall", "N x 100ms", "over", "RSS");
    if (argc > 1) {
        const bool window = argc > 2 && qstrcmp(argv[2], "window") == 0;
        const double wait = RunRow(fleet, silent, std::max(1, atoi(argv[1])), 3, window);
        if (wait < 0)
            return 1;
        std::printf("silent 2 s wait: %.3f %% of wall; floor: %.3f %%\n", wait * 100,
                    MedianOfThree(IdleTickShare) * 100);
        return 0;
    }
    double headlessWait = 0;
    for (const auto &[servers, cycles] : {std::pair{1, 10}, {10, 3}, {100, 1}})
        headlessWait = RunRow(fleet, silent, servers, cycles, false);
    const double windowWait = RunRow(fleet, silent, 100, 1, true);
    if (headlessWait < 0 || windowWait < 0) {
        std::fprintf(stderr, "no free loopback addresses\n");
        return 1;
    }
    std::printf("silent 2 s wait: %.3f %% of wall headless, %.3f %% with the main window; "
                "floor (a loop woken every 100 ms, nothing else): %.3f %%\n",
                headlessWait * 100, windowWait * 100, MedianOfThree(IdleTickShare) * 100);
    std::printf("targets: cpu/device <= 1 ms and <= 10x the bare exchange at 10 and 100 servers; "
                "over <= +2 %%; silent wait <= 0.2 %%\n");
    return 0;
}
