// Reads a built program's resources back through the platform's own calls, as Explorer and the
// loader do: the version information against the version CMake's project() gives, the icon at
// each size it must carry, and the application manifest, which the platform must accept as an
// activation context and which must be the package's manifest byte for byte.
//   resources_check PROGRAM.exe VERSION MANIFEST_FILE
// Prints one line per failed check; exits 0 when every check holds.
#include "canvas.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool holds, const std::string &what) {
    if (!holds) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

struct Version {
    uint16_t part[4];
};

// "2.2" or "2.2.1": missing parts are 0, as the resource script has them.
Version parse_version(const char *text) {
    unsigned int p[4] = {0, 0, 0, 0};
    std::sscanf(text, "%u.%u.%u.%u", &p[0], &p[1], &p[2], &p[3]);
    return {{static_cast<uint16_t>(p[0]), static_cast<uint16_t>(p[1]), static_cast<uint16_t>(p[2]),
             static_cast<uint16_t>(p[3])}};
}

void check_version_info(const char *program, const char *version_text) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(program, &ignored);
    check(size > 0, "the program has version information");
    if (size == 0) return;
    std::vector<char> block(size);
    check(GetFileVersionInfoA(program, 0, size, block.data()) != 0, "GetFileVersionInfo reads it");

    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length) && length >= sizeof *fixed) {
        const Version v = parse_version(version_text);
        const DWORD high = static_cast<DWORD>(v.part[0]) << 16 | v.part[1];
        const DWORD low = static_cast<DWORD>(v.part[2]) << 16 | v.part[3];
        check(fixed->dwSignature == 0xFEEF04BD, "the fixed file information has its signature");
        check(fixed->dwFileVersionMS == high && fixed->dwFileVersionLS == low,
              std::string("the file version is ") + version_text);
        check(fixed->dwProductVersionMS == high && fixed->dwProductVersionLS == low,
              std::string("the product version is ") + version_text);
        check(fixed->dwFileType == VFT_APP && fixed->dwFileOS == VOS_NT_WINDOWS32, "it describes a Windows application");
    } else {
        check(false, "the version information has its fixed part");
    }

    struct Translation {
        WORD language;
        WORD code_page;
    } *translation = nullptr;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation), &length) ||
        length < sizeof *translation) {
        check(false, "the version information names its language");
        return;
    }
    const auto text = [&](const char *name) {
        char path[96];
        std::snprintf(path, sizeof path, "\\StringFileInfo\\%04x%04x\\%s", translation->language,
                      translation->code_page, name);
        char *value = nullptr;
        UINT value_length = 0;
        if (!VerQueryValueA(block.data(), path, reinterpret_cast<void **>(&value), &value_length) || value == nullptr)
            return std::string("(none)");
        return std::string(value);
    };
    check(text("ProductName") == "Kartello", "the product name is Kartello, not " + text("ProductName"));
    check(text("FileDescription") == "Kartello greeting-card designer", "the description, not " + text("FileDescription"));
    check(text("OriginalFilename") == "kartello.exe", "the original file name, not " + text("OriginalFilename"));
    check(text("LegalCopyright").rfind("Copyright", 0) == 0, "a copyright, not " + text("LegalCopyright"));
    check(text("FileVersion") == version_text, "the file version's text, not " + text("FileVersion"));
    check(text("ProductVersion") == version_text, "the product version's text, not " + text("ProductVersion"));
}

struct Colour {
    int red;
    int green;
    int blue;
};

// The icon's pixel at (x, y), counted from its top-left corner, as the platform draws it.
Colour icon_pixel(HICON icon, int size, int x, int y) {
    const Canvas canvas(size, size);
    if (canvas.pixels == nullptr || !DrawIconEx(canvas.dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL))
        return {-1, -1, -1};
    const uint32_t p = canvas.pixels[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)];
    return {static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF)};
}

bool looks_like(Colour c, Colour wanted) {
    const auto close = [](int a, int b) { return a >= b - 64 && a <= b + 64; };
    return close(c.red, wanted.red) && close(c.green, wanted.green) && close(c.blue, wanted.blue);
}

std::string describe(Colour c) {
    return "(" + std::to_string(c.red) + ", " + std::to_string(c.green) + ", " + std::to_string(c.blue) + ")";
}

// The icon group must hold each size itself (LoadImage would otherwise scale another one), and
// each image must be the artwork: a black frame round a yellow card with a red heart.
void check_icon(HMODULE module) {
    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    check(group != nullptr, "the program has icon group 1");
    if (group == nullptr) return;
    auto *directory = static_cast<BYTE *>(LockResource(LoadResource(module, group)));
    const int sizes[] = {16, 32, 48, 256};
    for (const int size : sizes) {
        const std::string name = std::to_string(size) + "-pixel icon";
        const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = id > 0 ? FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3)) : nullptr;  // RT_ICON
        check(image != nullptr, "the icon group has a " + name);
        if (image == nullptr) continue;
        // An image's own size: a PNG's width from its header, a bitmap's from its BITMAPINFOHEADER.
        const auto *bytes = static_cast<const BYTE *>(LockResource(LoadResource(module, image)));
        const bool png = std::memcmp(bytes, "\x89PNG", 4) == 0;
        const int width = png ? bytes[16] << 24 | bytes[17] << 16 | bytes[18] << 8 | bytes[19]
                              : reinterpret_cast<const BITMAPINFOHEADER *>(bytes)->biWidth;
        check(width == size, "the " + name + " is " + std::to_string(size) + " pixels wide, not " + std::to_string(width));

        HICON icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
        check(icon != nullptr, "LoadImage loads the " + name);
        if (icon == nullptr) continue;
        const Colour corner = icon_pixel(icon, size, 0, 0);
        const Colour card = icon_pixel(icon, size, size / 8, size / 8);
        const Colour heart = icon_pixel(icon, size, size / 2, size / 2);
        check(looks_like(corner, {0, 0, 0}), "the " + name + "'s frame is black, not " + describe(corner));
        check(looks_like(card, {255, 255, 0}), "the " + name + "'s card is yellow, not " + describe(card));
        check(looks_like(heart, {255, 0, 0}), "the " + name + "'s middle is the red heart, not " + describe(heart));
        DestroyIcon(icon);
    }
}

std::string read_file(const char *name) {
    std::ifstream file(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void check_manifest(HMODULE module, const char *program, const char *manifest_file) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    check(found != nullptr, "the program has manifest 1");
    if (found == nullptr) return;
    const std::string embedded(static_cast<const char *>(LockResource(LoadResource(module, found))),
                               SizeofResource(module, found));
    const std::string source = read_file(manifest_file);
    check(!source.empty() && embedded == source, std::string("the manifest is ") + manifest_file + " byte for byte");

    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = program;
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE activation = CreateActCtxA(&context);
    check(activation != INVALID_HANDLE_VALUE, "the platform makes an activation context of the manifest");
    if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: resources_check PROGRAM.exe VERSION MANIFEST_FILE\n");
        return 2;
    }
    const char *program = argv[1];
    check_version_info(program, argv[2]);
    HMODULE module = LoadLibraryExA(program, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    check(module != nullptr, std::string("the program loads as a resource module: ") + program);
    if (module != nullptr) {
        check_icon(module);
        check_manifest(module, program, argv[3]);
        FreeLibrary(module);
    }
    if (failures == 0) std::printf("all resources of %s read back\n", program);
    return failures == 0 ? 0 : 1;
}
