#include "BenchReport.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <sched.h>

namespace bench {

namespace {

std::string formatted(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    return buffer;
}

// What nproc prints: the processors this process may run on.
int processorCount()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) != 0)
        return 0;
    return CPU_COUNT(&set);
}

}  // namespace

double Samples::best() const
{
    return _values.empty() ? 0 : *std::min_element(_values.begin(), _values.end());
}

double Samples::worst() const
{
    return _values.empty() ? 0 : *std::max_element(_values.begin(), _values.end());
}

double Samples::median() const
{
    if (_values.empty())
        return 0;
    std::vector<double> sorted(_values);
    std::sort(sorted.begin(), sorted.end());
    std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

void Table::add(const std::string& measure, const Samples& samples, const std::string& unit,
                int decimals, bool higherIsBetter)
{
    if (samples.empty())
        return;
    double best = higherIsBetter ? samples.worst() : samples.best();
    double worst = higherIsBetter ? samples.best() : samples.worst();
    _rows.push_back({measure, formatted(best, decimals), formatted(samples.median(), decimals),
                     formatted(worst, decimals), std::to_string(samples.count()), unit});
}

void Table::add(const std::string& measure, double value, const std::string& unit, int decimals)
{
    std::string v = formatted(value, decimals);
    _rows.push_back({measure, v, v, v, "1", unit});
}

void Table::print() const
{
    std::printf("\n### %s\n\n", _title.c_str());
    std::printf("| Measure | best | median | worst | runs | unit |\n");
    std::printf("|---|---:|---:|---:|---:|---|\n");
    for (const auto& row : _rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", row[0].c_str(), row[1].c_str(),
                    row[2].c_str(), row[3].c_str(), row[4].c_str(), row[5].c_str());
    std::fflush(stdout);
}

std::string machineLoad()
{
    std::ifstream in("/proc/loadavg");
    double one = 0, five = 0, fifteen = 0;
    in >> one >> five >> fifteen;
    return "load average " + formatted(one, 2) + " " + formatted(five, 2) + " " +
           formatted(fifteen, 2) + ", nproc " +
           std::to_string(processorCount());
}

}  // namespace bench
