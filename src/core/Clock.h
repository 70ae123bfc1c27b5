#pragma once

#include <QDateTime>

#include <optional>

// The one source of "now" for everything that stamps or schedules; tests set it.
namespace Clock {
QDateTime Now();
void SetFixed(std::optional<QDateTime> moment);
} // namespace Clock
