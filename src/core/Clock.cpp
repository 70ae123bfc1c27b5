#include "Clock.h"

namespace {
std::optional<QDateTime> g_fixed;
}

QDateTime Clock::Now()
{
    return g_fixed ? *g_fixed : QDateTime::currentDateTime();
}

void Clock::SetFixed(std::optional<QDateTime> moment)
{
    g_fixed = std::move(moment);
}
