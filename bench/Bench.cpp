#include "Bench.h"
#include "framework/AfxApp.h"

#include <windows.h>
#include <algorithm>
#include <cstdio>

std::vector<BenchCase>& BenchCases()
{
    static std::vector<BenchCase> cases;
    return cases;
}

std::vector<BenchReport>& BenchReports()
{
    static std::vector<BenchReport> reports;
    return reports;
}

namespace {

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

} // namespace

int main(int argc, char** argv)
{
    AfxWinInit(GetModuleHandleW(nullptr));
    const char* only = argc > 1 ? argv[1] : nullptr;
    std::printf("%-44s %8s %12s\n", "case", "runs", "median");
    for (BenchCase& c : BenchCases()) {
        if (only && c.name.find(only) == std::string::npos)
            continue;
        std::function<void()> body = c.setup();
        if (!body)
            continue;
        body(); // warm-up
        std::vector<double> times;
        for (int i = 0; i < c.runs; ++i) {
            double t0 = Now();
            body();
            times.push_back(Now() - t0);
        }
        std::sort(times.begin(), times.end());
        double median = times[times.size() / 2];
        if (median < 1e-3)
            std::printf("%-44s %8d %9.1f us\n", c.name.c_str(), c.runs, median * 1e6);
        else
            std::printf("%-44s %8d %9.2f ms\n", c.name.c_str(), c.runs, median * 1e3);
    }
    for (BenchReport& r : BenchReports()) {
        if (only && r.name.find(only) == std::string::npos)
            continue;
        std::printf("\n");
        r.run();
    }
    AfxWinTerm(FALSE);
    return 0;
}
