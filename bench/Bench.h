// A small benchmark runner: each case runs a number of times and its median
// wall-clock time is printed.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct BenchCase {
    std::string name;
    int runs;
    // Prepares and returns the timed body; returns an empty function when the
    // case cannot run here (its reason printed).
    std::function<std::function<void()>()> setup;
};

std::vector<BenchCase>& BenchCases();

struct BenchRegistration {
    BenchRegistration(const char* name, int runs, std::function<std::function<void()>()> setup)
    {
        BenchCases().push_back({ name, runs, std::move(setup) });
    }
};

// A report that measures and prints its own table, after the cases; it runs
// when the program's argument (if any) is part of its name.
struct BenchReport {
    std::string name;
    std::function<void()> run;
};

std::vector<BenchReport>& BenchReports();

struct BenchReportRegistration {
    BenchReportRegistration(const char* name, std::function<void()> run)
    {
        BenchReports().push_back({ name, std::move(run) });
    }
};

#define BENCH_REPORT(id, name) \
    static void id##_run(); \
    static BenchReportRegistration id##_registration(name, &id##_run); \
    static void id##_run()

#define BENCH_CASE(id, name, runs) \
    static std::function<void()> id##_setup(); \
    static BenchRegistration id##_registration(name, runs, &id##_setup); \
    static std::function<void()> id##_setup()
