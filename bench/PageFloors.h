// The two floors of one page of the preview, which the view-key and maximised-paint benchmarks
// hold the control to on the same lines in the same run: the GDI work of the page alone, with the
// bytes taken from memory (and a highlight where the control shows one), and the bare per-line
// map, read and unmap that the preview must do.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/system/FileMapping.h"
#include "platform/system/WideText.h"
#include "platform/window/GdiHandles.h"
#include "preview/ByteSelection.h"
#include "preview/FilePreviewCtrl.h"
#include "preview/LineFormat.h"
#include "preview/PreviewLayout.h"

class CPageFloors {
public:
    CPageFloors(const std::wstring& path, int bytesPerLine)
        : m_bytesPerLine(bytesPerLine),
          m_file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               0, nullptr)),
          m_mapping(m_file != INVALID_HANDLE_VALUE
                        ? ::CreateFileMappingW(m_file, nullptr, PAGE_READONLY, 0, 0, nullptr)
                        : nullptr),
          m_font(::CreateFontW(14, 7, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, ANSI_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                               FIXED_PITCH | FF_DONTCARE, L"Courier")),
          m_memory(1 << 16) {
        std::mt19937 random(42);
        for (std::uint8_t& byte : m_memory)
            byte = static_cast<std::uint8_t>(random());
    }
    ~CPageFloors() {
        if (m_mapping != nullptr)
            ::CloseHandle(m_mapping);
        if (m_file != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_file);
    }
    CPageFloors(const CPageFloors&) = delete;
    CPageFloors& operator=(const CPageFloors&) = delete;

    bool IsOpen() const { return m_mapping != nullptr; }

    // The GDI floor: the control's paint of the layout's lines into the window, step for step
    // (off-screen bitmap, font, white fill, one line of cells per line, one BitBlt), with the bytes
    // from memory; the lines that meet `highlight` in the control's five runs. Untimed: each
    // benchmark times it as it times the paint it stands beside.
    void DrawFromMemory(HWND window, const qs::PreviewLayout& layout,
                        const qs::ByteRange& highlight = {}) const {
        RECT client = {};
        ::GetClientRect(window, &client);
        const HDC dc = ::GetDC(window);
        {
            qs::CMemoryDC buffer(dc);
            qs::CGdiObject<HBITMAP> bitmap(
                ::CreateCompatibleBitmap(dc, client.right, client.bottom));
            qs::CSelectObject selection(buffer.Get(), bitmap.Get());
            qs::CSelectObject selectFont(buffer.Get(), m_font.Get());
            ::IntersectClipRect(buffer.Get(), 0, 0, client.right, client.bottom);
            ::FillRect(buffer.Get(), &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
            const qs::LineSpan span = qs::LinesToDraw(layout, client.bottom);
            for (std::uint64_t line = span.first; line < span.end; ++line) {
                const std::uint32_t offset = static_cast<std::uint32_t>(line * m_bytesPerLine);
                const std::u16string text =
                    qs::FormatLine(&m_memory[offset % (m_memory.size() - m_bytesPerLine)],
                                   m_bytesPerLine, offset, m_bytesPerLine);
                const qs::PreviewPoint point = qs::LineOrigin(layout, line);
                const qs::LineHighlight marked =
                    qs::HighlightOnLine(offset, m_bytesPerLine, m_bytesPerLine, highlight);
                if (marked.any)
                    qs::DrawHighlightedLine(buffer.Get(), point, layout.m_charWidth, text, marked);
                else
                    qs::DrawPlainLine(buffer.Get(), point, layout.m_charWidth, text);
            }
            ::BitBlt(dc, 0, 0, client.right, client.bottom, buffer.Get(), 0, 0, SRCCOPY);
        }
        ::ReleaseDC(window, dc);
    }

    // The map floor: for each of the layout's lines, one fresh view from the allocation
    // granularity below it, its bytes read, the view unmapped; nothing formatted or drawn.
    void MapLines(const qs::PreviewLayout& layout, int clientHeight) const {
        static const std::uint32_t granularity = qs::mapping::GetGranularity();
        const qs::LineSpan span = qs::LinesToDraw(layout, clientHeight);
        volatile std::uint8_t sink = 0;
        for (std::uint64_t line = span.first; line < span.end; ++line) {
            const std::uint32_t offset = static_cast<std::uint32_t>(line * m_bytesPerLine);
            const std::uint32_t remainder = offset % granularity;
            const auto* view = static_cast<const std::uint8_t*>(
                ::MapViewOfFile(m_mapping, FILE_MAP_READ, 0, offset - remainder,
                                remainder + static_cast<std::uint32_t>(m_bytesPerLine)));
            if (view == nullptr)
                continue;
            for (int i = 0; i < m_bytesPerLine; ++i)
                sink = sink + view[remainder + i];
            ::UnmapViewOfFile(view);
        }
    }

private:
    int m_bytesPerLine;
    HANDLE m_file;
    HANDLE m_mapping;
    qs::CGdiObject<HFONT> m_font;
    std::vector<std::uint8_t> m_memory;
};
