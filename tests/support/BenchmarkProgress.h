// A benchmark's rounds as they go: a line when they start and the count done every few
// seconds, so a run of a minute or more is never silent. On stdout with the figures,
// flushed, so the two stay in order.
#pragma once

#include <windows.h>

#include <cstdio>

class CBenchmarkProgress {
public:
    CBenchmarkProgress(const char* rounds, int total) : m_rounds(rounds), m_total(total), m_shown(GetTickCount())
    {
        std::printf("measuring %d %s\n", total, rounds);
        std::fflush(stdout);
    }

    // After each round: the count, at most once every few seconds and at the last round.
    void Done(int count)
    {
        const DWORD now = GetTickCount();
        if (count < m_total && now - m_shown < kInterval)
            return;
        m_shown = now;
        std::printf("  %d of %d %s\n", count, m_total, m_rounds);
        std::fflush(stdout);
    }

private:
    static constexpr DWORD kInterval = 5000;
    const char* m_rounds;
    int m_total;
    DWORD m_shown;
};
