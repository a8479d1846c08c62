// Prints, for each font the program's look relies on, the family the platform really gives for
// it and the file that family was loaded from: one line "NAME<TAB>FAMILY<TAB>FILE" each.
#include "../../graphics/zavok_ids.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// gdi32 exports these without a header: they tell which file a selected font was loaded from.
struct RealizationInfo {
    DWORD size;
    DWORD flags;
    DWORD cache_num;
    DWORD instance_id;
    DWORD unknown;
    WORD face_index;
    WORD simulations;
};
struct FileInfo {
    FILETIME write_time;
    LARGE_INTEGER size;
    WCHAR path[MAX_PATH * 2];
};
using GetRealizationInfo = BOOL(WINAPI *)(HDC, RealizationInfo *);
using GetFileInfo = BOOL(WINAPI *)(DWORD, DWORD, FileInfo *, SIZE_T, SIZE_T *);

std::string font_file(HDC dc) {
    const HMODULE gdi = GetModuleHandleA("gdi32.dll");
    const auto realization =
        reinterpret_cast<GetRealizationInfo>(reinterpret_cast<void *>(GetProcAddress(gdi, "GetFontRealizationInfo")));
    const auto file_info = reinterpret_cast<GetFileInfo>(reinterpret_cast<void *>(GetProcAddress(gdi, "GetFontFileInfo")));
    if (realization == nullptr || file_info == nullptr) return "?";
    RealizationInfo info = {};
    info.size = sizeof info;
    if (!realization(dc, &info)) return "?";
    FileInfo file = {};
    SIZE_T needed = 0;
    if (!file_info(info.instance_id, 0, &file, sizeof file, &needed)) return "?";
    char path[MAX_PATH * 4] = {};
    WideCharToMultiByte(CP_UTF8, 0, file.path, -1, path, sizeof path, nullptr, nullptr);
    return path;
}

// The family of the face really selected: a substituted name reports itself as its own face,
// so outline fonts are asked for the family their file names.
std::string family(HDC dc) {
    const UINT size = GetOutlineTextMetricsA(dc, 0, nullptr);
    if (size != 0) {
        std::string buffer(size, '\0');
        auto *const metrics = reinterpret_cast<OUTLINETEXTMETRICA *>(&buffer[0]);
        if (GetOutlineTextMetricsA(dc, size, metrics) != 0) {
            return buffer.c_str() + reinterpret_cast<std::uintptr_t>(metrics->otmpFamilyName);
        }
    }
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    return face;
}

void report(HDC dc, const char *name, HFONT font) {
    const HGDIOBJ previous = SelectObject(dc, font);
    std::printf("%s\t%s\t%s\n", name, family(dc).c_str(), font_file(dc).c_str());
    SelectObject(dc, previous);
}

void report_created(HDC dc, const char *name, const LOGFONTA &logfont) {
    const HFONT font = CreateFontIndirectA(&logfont);
    report(dc, name, font);
    DeleteObject(font);
}

}  // namespace

int main() {
    const HDC dc = CreateCompatibleDC(nullptr);

    LOGFONTA drawing = {};
    drawing.lfHeight = -14;
    drawing.lfWeight = FW_NORMAL;
    drawing.lfCharSet = ANSI_CHARSET;
    drawing.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::snprintf(drawing.lfFaceName, sizeof drawing.lfFaceName, "%s", ZAVOK_FONT_FACE);
    report_created(dc, ZAVOK_FONT_FACE, drawing);

    report(dc, "ANSI_FIXED_FONT", static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT)));
    report(dc, "SYSTEM_FONT", static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
    report(dc, "DEFAULT_GUI_FONT", static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));

    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    report_created(dc, "caption", metrics.lfCaptionFont);
    report_created(dc, "menu", metrics.lfMenuFont);
    report_created(dc, "message", metrics.lfMessageFont);

    LOGFONTA symbols = {};
    symbols.lfHeight = -13;
    symbols.lfCharSet = SYMBOL_CHARSET;
    std::snprintf(symbols.lfFaceName, sizeof symbols.lfFaceName, "%s", "Marlett");
    report_created(dc, "Marlett", symbols);

    DeleteDC(dc);
    return 0;
}
