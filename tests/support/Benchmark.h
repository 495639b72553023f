// What every benchmark program shares besides its progress: its counts from the command
// line, figure lines that fit Wine's console, and the line that says it finished.
#pragma once

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string>

// Wine's console breaks a program's lines at 80 columns, in the middle of a figure.
constexpr std::size_t kBenchmarkColumns = 80;

// The largest count a benchmark takes: far more rounds than any run needs, and few enough
// seconds that they fit a DWORD in milliseconds. The benchmark scripts refuse a larger one
// before they build (tools/lib/benchmark.sh holds the same number).
constexpr int kBenchmarkMostCount = 1000000;

// Reads the counts from argv[first] on into the given variables, which keep their
// defaults where no argument is left; the arguments before `first` must be there. Each
// count must be a whole number from 1 to kBenchmarkMostCount: a benchmark of no rounds
// has no figure to give. False, after the usage on stderr, when an argument is missing,
// is not such a count or is one too many.
inline bool ReadCounts(int argc, char** argv, int first, std::initializer_list<int*> counts, const char* usage)
{
    bool ok = argc >= first && argc - first <= static_cast<int>(counts.size());
    const auto* count = counts.begin();
    for (int i = first; ok && i < argc; ++i, ++count) {
        const char* end = argv[i] + std::strlen(argv[i]);
        int value = 0;
        const auto [stop, error] = std::from_chars(argv[i], end, value);
        ok = error == std::errc{} && stop == end && value > 0 && value <= kBenchmarkMostCount;
        **count = value;
    }
    if (!ok)
        std::fprintf(stderr, "usage: %s\n(counts are whole numbers from 1 to %d)\n", usage, kBenchmarkMostCount);
    return ok;
}

// "label figures" on one line when it fits, else the label on a line of its own and the
// figures indented below it. The label is padded to `width` to line figures up.
inline void PrintFigures(const std::string& label, const std::string& figures, std::size_t width = 0)
{
    const std::size_t labelWidth = label.size() < width ? width : label.size();
    if (labelWidth + 1 + figures.size() <= kBenchmarkColumns)
        std::printf("%-*s %s\n", static_cast<int>(labelWidth), label.c_str(), figures.c_str());
    else
        std::printf("%s\n  %s\n", label.c_str(), figures.c_str());
    std::fflush(stdout);
}

// printf into a string, for the figures (the benchmarks are mingw-w64 programs).
[[gnu::format(__MINGW_PRINTF_FORMAT, 1, 2)]] inline std::string Format(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// The last line of a benchmark that measured all it was asked to: its script takes any
// other end for a failure, as Wine may give a program that crashed the status 0.
inline int Finished()
{
    std::printf("benchmark finished\n");
    std::fflush(stdout);
    return 0;
}
