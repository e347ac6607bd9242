// What the Win32 benchmarks share: a folder to stage in, a large sparse file with a few random
// blocks, a timer, the program's loop run until the queue is empty, and the summary of a figure's
// samples.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/window/MessageLoop.h"

// A folder of this run's own in the temporary folder: the benchmark's name and the process id.
inline std::filesystem::path TempStage(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    return std::filesystem::path(temp) / (name + std::to_wstring(::GetCurrentProcessId()));
}

// A file of `size` bytes in the temporary folder, mostly holes, with 64 random blocks of
// `blockSize` bytes at random places; an empty path when it can't be made.
inline std::wstring MakeSparseFile(const wchar_t* name, LONGLONG size, size_t blockSize) {
    wchar_t folder[MAX_PATH];
    ::GetTempPathW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + name;
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::mt19937 random(7);
    std::vector<char> block(blockSize);
    for (int i = 0; i < 64; ++i) {
        for (char& c : block)
            c = static_cast<char>(random());
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(random() % (size - static_cast<LONGLONG>(blockSize)));
        ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
        DWORD written = 0;
        ::WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    }
    LARGE_INTEGER end;
    end.QuadPart = size;
    ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(file);
    ::CloseHandle(file);
    return path;
}

inline LONGLONG Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double MillisecondsSince(LONGLONG start) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(Now() - start) / static_cast<double>(frequency.QuadPart);
}

// The program's loop, one message at a time until the queue is empty: the filters, then
// translation and dispatch. A paint comes last, when nothing else is queued; and finding the queue
// empty is when Wine copies the windows' pixels to the display, so a figure that ends here has paid
// for that copy rather than leaving it to the next.
inline void Pump(qs::CMessageLoop& loop) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        loop.m_msg = msg;
        if (!loop.PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// The value at quantile q (0 to 1) of samples sorted in place.
inline double Quantile(std::vector<double>& samples, double q) {
    std::sort(samples.begin(), samples.end());
    return samples[static_cast<size_t>(q * static_cast<double>(samples.size() - 1))];
}

// Prints the median, 10th and 90th percentiles of the samples (in ms) under a name; returns the
// median.
inline double Report(const char* name, std::vector<double> samples) {
    std::printf("  %-34s median %7.3f ms   p10 %7.3f ms   p90 %7.3f ms\n", name,
                Quantile(samples, 0.5), Quantile(samples, 0.1), Quantile(samples, 0.9));
    return Quantile(samples, 0.5);
}

// Prints the median, 10th and 90th percentiles of the ratios of each sample to its floors
// measured right beside it; returns the median, which is what the goals are held to. A busy spell
// of the machine slows a sample and the floors beside it alike, so their ratio holds where a
// ratio of separate medians could set a paint from a slow spell against floors from a quiet one.
inline double ReportRatios(const char* name, const std::vector<double>& samples,
                           const std::vector<double>& floors) {
    std::vector<double> ratios;
    for (size_t i = 0; i < samples.size() && i < floors.size(); ++i)
        ratios.push_back(floors[i] > 0 ? samples[i] / floors[i] : 0.0);
    std::printf("  %-34s median %7.2f      p10 %7.2f      p90 %7.2f\n", name, Quantile(ratios, 0.5),
                Quantile(ratios, 0.1), Quantile(ratios, 0.9));
    return Quantile(ratios, 0.5);
}

// The floor of any copy of files: the system's own CopyFileExW of `from` onto `to` (replacing a
// file there), in ms; negative when it fails.
inline double TimeCopyFileExW(const std::wstring& from, const std::wstring& to) {
    const LONGLONG start = Now();
    const BOOL copied = ::CopyFileExW(from.c_str(), to.c_str(), nullptr, nullptr, nullptr, 0);
    const double ms = MillisecondsSince(start);
    return copied ? ms : -1.0;
}
