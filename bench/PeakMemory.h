#pragma once

// The resident memory one operation adds at its peak, from Linux's /proc: freed heap pages are handed
// back first and the peak mark is reset, so that pages left resident by earlier work do not hide the
// operation's own allocations.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <malloc.h>

class PeakMemory
{
public:
    // Bytes the operation raised resident memory by at its peak, or -1 when /proc cannot tell.
    template <typename Operation> static double measure(Operation operation)
    {
        malloc_trim(0);
        const uint64_t before = statusBytes("VmRSS");
        if (!resetPeak())
            return -1.0;
        operation();
        return static_cast<double>(statusBytes("VmHWM")) - static_cast<double>(before);
    }

private:
    static uint64_t statusBytes(const char* field)
    {
        std::ifstream status("/proc/self/status");
        std::string line;
        const std::string prefix = std::string(field) + ":";
        while (std::getline(status, line))
            if (line.compare(0, prefix.size(), prefix) == 0)
                return std::strtoull(line.c_str() + prefix.size(), nullptr, 10) * 1024;
        return 0;
    }

    static bool resetPeak()
    {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.close();
        return clear.good();
    }
};
