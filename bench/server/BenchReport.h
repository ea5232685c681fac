// Samples and the tables the server benchmarks print.
#ifndef KTA_BENCH_SERVER_BENCHREPORT_H
#define KTA_BENCH_SERVER_BENCHREPORT_H

#include <string>
#include <vector>

namespace bench {

// Repeated measurements of one figure.
class Samples
{
public:
    void add(double value) { _values.push_back(value); }
    bool empty() const { return _values.empty(); }
    std::size_t count() const { return _values.size(); }
    double best() const;    // the smallest
    double median() const;
    double worst() const;   // the largest

private:
    std::vector<double> _values;
};

// A table of rows "measure | best | median | worst | runs | unit", printed
// in Markdown so that it can go straight into bench/README.md.
class Table
{
public:
    explicit Table(std::string title) : _title(std::move(title)) {}

    // `decimals` digits after the point; for figures where more is better
    // (requests per second) pass higherIsBetter, so that "best" is the largest.
    void add(const std::string& measure, const Samples& samples, const std::string& unit,
             int decimals = 1, bool higherIsBetter = false);
    // A single figure.
    void add(const std::string& measure, double value, const std::string& unit,
             int decimals = 1);
    void print() const;

private:
    std::string _title;
    std::vector<std::vector<std::string>> _rows;
};

// "load average: 1.23 1.10 0.98, nproc 2" for the report.
std::string machineLoad();

}  // namespace bench

#endif
