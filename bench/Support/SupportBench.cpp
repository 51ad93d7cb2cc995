// SPDX-FileCopyrightText: 2025-2026 The Tisko developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The log as its callers see it, the log under eight threads, and the counters file of ten
// years saved and read back. Every case runs in a temporary home.
#include "Tisko/Support/Log.h"
#include "Tisko/Support/Storage.h"

#include "TempHome.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Each call is timed alone; the counter is the median over every call of the run. The queue
// is emptied between batches (untimed), as logging is sparse in the application.
void logInfoCallerLatency(benchmark::State& state) {
    tisko::test::TempHome home;
    tisko::Log::restartForTesting();
    const QString message = QStringLiteral("Comprobación: bien (ratio 1.02, caída 0.05)");
    std::vector<double> samples;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const auto start = Clock::now();
            tisko::Log::info(message);
            samples.push_back(
                std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        }
        state.PauseTiming();
        tisko::Log::flush();
        state.ResumeTiming();
    }
    std::sort(samples.begin(), samples.end());
    state.counters["median_us"] = samples[samples.size() / 2];
    state.counters["p99_us"] = samples[samples.size() * 99 / 100];
    state.SetItemsProcessed(static_cast<int64_t>(samples.size()));
    tisko::Log::restartForTesting();
}
BENCHMARK(logInfoCallerLatency)->Iterations(50)->Unit(benchmark::kMillisecond);

// 8 threads × 10,000 lines; the counters say how many lines are missing, malformed or out of
// their thread's order once the file is written.
void logEightThreads(benchmark::State& state) {
    constexpr int threadCount = 8;
    constexpr int perThread = 10000;
    for (auto _ : state) {
        tisko::test::TempHome home;
        tisko::Log::restartForTesting();
        std::vector<std::thread> threads;
        for (int t = 0; t < threadCount; ++t) {
            threads.emplace_back([t] {
                for (int i = 0; i < perThread; ++i)
                    tisko::Log::info(QStringLiteral("hilo %1 línea %2").arg(t).arg(i));
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        tisko::Log::flush();

        state.PauseTiming();
        QFile file(tisko::Log::filePath());
        file.open(QIODevice::ReadOnly);
        const QStringList lines =
            QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QRegularExpression format(QStringLiteral(
            R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z INFO  hilo (\d) línea (\d+)$)"));
        std::vector<int> next(threadCount, 0);
        int broken = 0;
        int disordered = 0;
        for (const QString& line : lines) {
            const QRegularExpressionMatch match = format.match(line);
            if (!match.hasMatch()) {
                ++broken;
                continue;
            }
            int& expected = next[static_cast<size_t>(match.captured(1).toInt())];
            if (match.captured(2).toInt() != expected)
                ++disordered;
            expected = match.captured(2).toInt() + 1;
        }
        state.counters["lines"] = static_cast<double>(lines.size());
        state.counters["lost"] = static_cast<double>(threadCount * perThread - lines.size());
        state.counters["broken"] = broken;
        state.counters["out_of_order"] = disordered;
        tisko::Log::restartForTesting();
        state.ResumeTiming();
    }
}
BENCHMARK(logEightThreads)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

tisko::DailyTally tenYears() {
    tisko::DailyTally tally;
    const auto first = std::chrono::sys_days(std::chrono::year_month_day(
        std::chrono::year(2016), std::chrono::January, std::chrono::day(1)));
    for (int i = 0; i < 3650; ++i) {
        const std::chrono::year_month_day date(first + std::chrono::days(i));
        char key[16];
        std::snprintf(key, sizeof key, "%04d-%02u-%02u", static_cast<int>(date.year()),
                      static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
        tisko::DailyTally::Day day(key);
        day.checks = 120 + i % 40;
        day.badChecks = i % 30;
        day.tooClose = i % 5;
        day.slouching = i % 7;
        tally.days.push_back(day);
    }
    return tally;
}

void saveTenYearTally(benchmark::State& state) {
    tisko::test::TempHome home;
    tisko::Storage::forgetFolderForTesting();
    const tisko::DailyTally tally = tenYears();
    for (auto _ : state) {
        if (!tisko::Storage::save(tally, QString(tisko::Storage::tallyFileName)))
            state.SkipWithError("save failed");
    }
    state.counters["bytes"] = static_cast<double>(
        QFile(tisko::Storage::filePath(QString(tisko::Storage::tallyFileName))).size());
    tisko::Storage::forgetFolderForTesting();
}
BENCHMARK(saveTenYearTally)->Unit(benchmark::kMillisecond)->UseRealTime();

void loadTenYearTally(benchmark::State& state) {
    tisko::test::TempHome home;
    tisko::Storage::forgetFolderForTesting();
    const tisko::DailyTally tally = tenYears();
    tisko::Storage::save(tally, QString(tisko::Storage::tallyFileName));
    for (auto _ : state) {
        const auto loaded =
            tisko::Storage::load<tisko::DailyTally>(QString(tisko::Storage::tallyFileName));
        if (!loaded || loaded->days.size() != 3650)
            state.SkipWithError("load failed");
    }
    tisko::Storage::forgetFolderForTesting();
}
BENCHMARK(loadTenYearTally)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
