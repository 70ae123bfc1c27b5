#pragma once

#include <QFile>

#include <ctime>

inline double CpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// CPU time the whole process has used so far, in seconds.
inline double ProcessCpuSeconds()
{
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

// CPU time the calling thread has used so far, in seconds.
inline double ThreadCpuSeconds()
{
    return CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// The process's resident memory, in MiB.
inline double ResidentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    return 0;
}
