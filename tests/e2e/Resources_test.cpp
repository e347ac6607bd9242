// Reads the resources back from the built executables, as Windows will see them: templates,
// menus, icon groups, the string table, the version resource and the manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <ostream>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

// Reads a dialog template (the classic or the extended form) back as one line per window:
// "id class 'text' style exStyle x,y,cx,cy", the dialog itself first with its font.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    std::vector<std::wstring> Read() {
        const bool extended = m_size >= 4 && Word() == 1 && Word() == 0xFFFF;
        m_pos = extended ? 8 : 0;  // dlgVer, signature, helpID
        DWORD style = 0, exStyle = 0;
        StyleAndEx(extended, style, exStyle);
        const WORD count = Word();
        std::wstring dialog = Format(0, L"DIALOG", L"", style, exStyle) + Rect();
        dialog += L" menu'" + StringOrOrdinal() + L"' class'" + StringOrOrdinal() + L"' '";
        dialog += String() + L"'";
        if (style & DS_SETFONT) {
            dialog += L" " + std::to_wstring(Word());
            m_pos += extended ? 4 : 0;  // weight, italic, charset
            dialog += L" " + String();
        }
        std::vector<std::wstring> lines{dialog};
        for (WORD i = 0; i < count && m_ok; ++i) {
            m_pos = (m_pos + 3) & ~size_t(3);
            m_pos += extended ? 4 : 0;  // helpID
            StyleAndEx(extended, style, exStyle);
            std::wstring place = Rect();
            const int id = extended ? static_cast<int>(Dword()) : static_cast<short>(Word());
            const std::wstring className = ClassName(StringOrOrdinal());
            lines.push_back(Format(id, className, StringOrOrdinal(), style, exStyle) + place);
            m_pos += Word();  // creation data
        }
        return m_ok ? lines : std::vector<std::wstring>{};
    }

private:
    void StyleAndEx(bool extended, DWORD& style, DWORD& exStyle) {
        const DWORD first = Dword(), second = Dword();
        style = extended ? second : first;
        exStyle = extended ? first : second;
    }
    std::wstring Rect() {
        std::wstring rect;
        for (int i = 0; i < 4; ++i)
            rect += (i ? L"," : L"") + std::to_wstring(static_cast<short>(Word()));
        return rect;
    }
    static std::wstring Format(int id, const std::wstring& className, const std::wstring& text,
                               DWORD style, DWORD exStyle) {
        wchar_t numbers[64] = {};
        swprintf(numbers, 64, L" %08lX %lX ", static_cast<unsigned long>(style),
                 static_cast<unsigned long>(exStyle));
        return std::to_wstring(id) + L" " + className + L" '" + text + L"'" + numbers;
    }
    template <typename T>
    T Take() {
        T value{};
        if (m_pos + sizeof(T) > m_size) {
            m_ok = false;
            return value;
        }
        std::memcpy(&value, m_data + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); m_ok && c != 0; c = Word())
            s += static_cast<wchar_t>(c);
        return s;
    }
    // sz_Or_Ord: 0 (none), 0xFFFF then an ordinal, or a string.
    std::wstring StringOrOrdinal() {
        const WORD first = Word();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        return std::wstring(1, static_cast<wchar_t>(first)) + String();
    }
    // Class names are case-insensitive, and a template may give the predefined ones as atoms
    // (windres writes upper-case strings): compare them in upper case.
    static std::wstring ClassName(std::wstring raw) {
        static const wchar_t* const atoms[] = {L"BUTTON",  L"EDIT",      L"STATIC",
                                               L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
        for (int i = 0; i < 6; ++i)
            if (raw == L"#" + std::to_wstring(0x80 + i))
                return atoms[i];
        for (wchar_t& c : raw)
            c = static_cast<wchar_t>(std::towupper(c));
        return raw;
    }

    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

// ---- The executables ----

struct Program {
    const char* name;
    const char* path;
};

// Names the parameter in test names and messages, rather than gtest's dump of its bytes.
void PrintTo(const Program& program, std::ostream* out) {
    *out << program.name;
}

std::wstring Widen(const char* s) {
    std::wstring w;
    for (; *s; ++s)
        w += static_cast<wchar_t>(static_cast<unsigned char>(*s));
    return w;
}

class ProgramResources : public ::testing::TestWithParam<Program> {
protected:
    void SetUp() override {
        m_path = Widen(GetParam().path);
        m_module = LoadLibraryExW(m_path.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(m_module, nullptr)
            << "cannot load " << GetParam().path << ", error " << GetLastError();
    }
    void TearDown() override {
        if (m_module)
            FreeLibrary(m_module);
    }
    // The bytes of a resource in US English, the language of every resource of the program.
    std::vector<BYTE> Resource(LPCWSTR type, int id) {
        HRSRC found = FindResourceExW(m_module, type, MAKEINTRESOURCEW(id),
                                      MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
        if (!found)
            return {};
        HGLOBAL loaded = LoadResource(m_module, found);
        const BYTE* p = static_cast<const BYTE*>(LockResource(loaded));
        return p ? std::vector<BYTE>(p, p + SizeofResource(m_module, found)) : std::vector<BYTE>{};
    }
    std::wstring m_path;
    HMODULE m_module = nullptr;
};

TEST_P(ProgramResources, DialogTemplatesCarryTheirControls) {
    const struct {
        int id;
        std::vector<std::wstring> windows;
    } dialogs[] = {
        {IDD_ABOUTBOX,
         {L"0 DIALOG '' 80C800C8 0 0,0,200,74 menu'' class'' 'About Quarrystone' 8 MS Shell Dlg",
          L"-1 STATIC '#207' 50000803 0 8,7,20,20",
          L"1003 STATIC 'Quarrystone 1.0' 50020080 0 49,7,144,8",
          L"-1 STATIC 'Copyright (C) 2026 The Quarrystone authors' 50020000 0 49,20,151,8",
          L"1 BUTTON 'OK' 50030001 0 143,53,50,16",
          L"1002 STATIC 'www.quarrystone.example' 50020000 0 49,33,144,8",
          L"-1 STATIC '' 50000010 0 0,46,203,1"}},
        {IDD_MAINDLG,
         {L"0 DIALOG '' 00CA0048 0 0,0,269,306 menu'' class'' 'Quarrystone' 8 MS Shell Dlg",
          L"1 BUTTON 'Close' 50010001 0 212,284,50,16",
          L"1000 SYSTREEVIEW32 '' 50910027 0 7,7,255,271"}},
        {IDD_VIEWDLG,
         {L"0 DIALOG '' 80CC0048 0 0,0,298,241 menu'' class'' 'Dialog' 8 MS Shell Dlg",
          L"1 BUTTON 'Close' 50010001 0 241,220,50,16",
          L"1001 STATIC 'Static' 50020000 20000 6,7,285,207"}},
    };
    for (const auto& want : dialogs) {
        const std::vector<BYTE> bytes = Resource(RT_DIALOG, want.id);
        EXPECT_EQ(TemplateReader(bytes.data(), bytes.size()).Read(), want.windows) << want.id;
    }
}

// One popup without a title, its items as "id text" ("-" for a separator); no command item is
// checked, greyed or the default, and none opens a submenu.
TEST_P(ProgramResources, ContextMenusHoldTheirCommandsInOrder) {
    const struct {
        int id;
        std::vector<std::wstring> items;
    } menus[] = {
        {IDR_FILE_MENU,
         {L"32778 View...", L"-", L"32779 Copy Path", L"32780 Save As...", L"-",
          L"32782 Properties..."}},
        {IDR_FOLDER_MENU, {L"32779 Copy Path", L"-", L"32782 Properties..."}},
    };
    for (const auto& want : menus) {
        SCOPED_TRACE(want.id);
        EXPECT_FALSE(Resource(RT_MENU, want.id).empty()) << "not in US English";
        HMENU menu = LoadMenuW(m_module, MAKEINTRESOURCEW(want.id));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(GetMenuItemCount(menu), 1);
        wchar_t title[32] = L"x";
        GetMenuStringW(menu, 0, title, 32, MF_BYPOSITION);
        EXPECT_STREQ(title, L"");
        HMENU popup = GetSubMenu(menu, 0);
        std::vector<std::wstring> items;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            wchar_t text[64] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
            info.dwTypeData = text;
            info.cch = 64;
            GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info);
            const bool separator = (info.fType & MFT_SEPARATOR) != 0;
            items.push_back(separator ? L"-" : std::to_wstring(info.wID) + L" " + text);
            EXPECT_TRUE(separator || info.fState == 0) << i;
            EXPECT_EQ(info.hSubMenu, nullptr) << i;
        }
        EXPECT_EQ(items, want.items);
        DestroyMenu(menu);
    }
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_P(ProgramResources, IconGroupsHoldTheirImagesAndEveryImageLoads) {
    struct Image {
        int size, bits;
    };
    const struct {
        int id;
        std::vector<Image> images;
    } groups[] = {
        {IDR_MAINFRAME, {{64, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32}}},
        {IDI_FILE_FALLBACK, {{16, 8}, {16, 32}}},
        {IDI_FOLDER_FALLBACK, {{16, 8}, {16, 32}}},
        {IDI_ABOUT, {{48, 8}, {48, 32}}},
    };
    for (const auto& want : groups) {
        SCOPED_TRACE(want.id);
        std::vector<BYTE> dir = Resource(RT_GROUP_ICON, want.id);
        ASSERT_GE(dir.size(), 6u);
        WORD count = 0;
        std::memcpy(&count, dir.data() + 4, 2);
        ASSERT_EQ(count, want.images.size());
        ASSERT_EQ(dir.size(), 6 + count * sizeof(GroupIconEntry));
        for (WORD i = 0; i < count; ++i) {
            SCOPED_TRACE(i);
            GroupIconEntry e;
            std::memcpy(&e, dir.data() + 6 + i * sizeof e, sizeof e);
            EXPECT_EQ(e.width, want.images[i].size);
            EXPECT_EQ(e.height, want.images[i].size);
            EXPECT_EQ(e.bitCount, want.images[i].bits);
            std::vector<BYTE> image = Resource(RT_ICON, e.id);
            ASSERT_EQ(image.size(), e.bytes);
            BITMAPINFOHEADER header;
            std::memcpy(&header, image.data(), sizeof header);
            EXPECT_EQ(header.biBitCount, want.images[i].bits);
            HICON icon =
                CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), TRUE,
                                         0x00030000, e.width, e.height, LR_DEFAULTCOLOR);
            EXPECT_NE(icon, nullptr);
            if (icon)
                DestroyIcon(icon);
        }
    }
}

TEST_P(ProgramResources, StringTableNamesTheProgram) {
    wchar_t text[64] = {};
    EXPECT_EQ(LoadStringW(m_module, IDR_MAINFRAME, text, 64), 11);
    EXPECT_STREQ(text, L"Quarrystone");
}

TEST_P(ProgramResources, VersionResourceIsVersion1001OfAUsEnglishApplication) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(m_path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(m_path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_EQ(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    for (DWORD version : {fixed->dwFileVersionMS, fixed->dwProductVersionMS})
        EXPECT_EQ(version, 0x00010000u);
    for (DWORD version : {fixed->dwFileVersionLS, fixed->dwProductVersionLS})
        EXPECT_EQ(version, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP)) << "an application, not a library";
    EXPECT_EQ(fixed->dwFileOS, DWORD(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);  // UTF-16

    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } strings[] = {
        {L"FileDescription", L"Quarrystone"}, {L"InternalName", L"Quarrystone"},
        {L"ProductName", L"Quarrystone"},     {L"OriginalFilename", L"Quarrystone.exe"},
        {L"FileVersion", L"1.0.0.1"},         {L"ProductVersion", L"1.0.0.1"},
    };
    for (const auto& want : strings) {
        SCOPED_TRACE(want.key);
        wchar_t* value = nullptr;
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + want.key;
        ASSERT_TRUE(
            VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
        EXPECT_STREQ(value, want.value);
    }
}

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST_P(ProgramResources, ManifestIsTheProgramsOwnAndTheOnlyOne) {
    int manifests = 0;
    EnumResourceNamesW(m_module, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(manifests, 1);
    std::vector<BYTE> bytes = Resource(RT_MANIFEST, 1);
    ASSERT_FALSE(bytes.empty());
    const std::string xml(bytes.begin(), bytes.end());
    const char* const needed[] = {
        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
        "publicKeyToken=\"6595b64144ccf1df\"",
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        ">true</dpiAware>",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
        "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // Windows 8
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // Windows 8.1
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // Windows 10
    };
    for (const char* text : needed)
        EXPECT_NE(xml.find(text), std::string::npos) << text;
}

const Program kPrograms[] = {
    {"Quarrystone", QS_PROGRAM_PATH},
    {"QuarrystoneStaged", QS_STAGED_PROGRAM_PATH},
};

INSTANTIATE_TEST_SUITE_P(Built, ProgramResources, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Program>& info) {
                             return info.param.name;
                         });

}  // namespace
