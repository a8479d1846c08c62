// The line-input dialog: a modal prompt, edit field and "Okay" button over the graphics window,
// described by a template built in memory at every call (the package has no resource file).
#include "zavok.h"

#include "../window/window_internal.h"
#include "console_internal.h"

#include <cstddef>
#include <cstring>
#include <iterator>

namespace {


constexpr WORD CLASS_BUTTON = 0x0080;
constexpr WORD CLASS_EDIT = 0x0081;
constexpr WORD CLASS_STATIC = 0x0082;

constexpr DWORD DIALOG_STYLE = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD EDIT_STYLE = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL;
constexpr DWORD OKAY_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON;
constexpr DWORD PROMPT_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
static_assert(DIALOG_STYLE == 0x90C80080u && EDIT_STYLE == 0x50810044u && OKAY_STYLE == 0x50010001u &&
                  PROMPT_STYLE == 0x50020000u,
              "the dialog's styles are part of its look");

constexpr int PROMPT_LENGTH = 79;
constexpr int ANSWER_SIZE = 256;  // 255 characters and the NUL

// One character of the ANSI code page takes at most 4 bytes (UTF-8), so this many bytes of a
// long prompt always hold its first PROMPT_LENGTH complete characters.
constexpr size_t PROMPT_BYTES = size_t{4} * PROMPT_LENGTH;

// Header 44 bytes, edit 28, button 36, static 184: with room to spare.
constexpr size_t TEMPLATE_BYTES = 512;

// The caller's buffer, from the dialog's initialisation until Okay; null discards the answer.
char *gets_buffer = nullptr;

// Fills a zero-filled, DWORD-aligned area front to back in the in-memory template format.
struct TemplateWriter {
    alignas(DWORD) unsigned char bytes[TEMPLATE_BYTES] = {};
    size_t used = 0;

    void put(const void *data, size_t size) {
        if (used + size > sizeof bytes) return;  // cannot happen with the fixed contents below
        std::memcpy(bytes + used, data, size);
        used += size;
    }
    void put_word(WORD value) { put(&value, sizeof value); }
    void put_text(const wchar_t *text, size_t length) {
        put(text, length * sizeof(wchar_t));
        put_word(0);
    }
    // Every item template starts on a DWORD boundary; the gap stays zero.
    void align() { used = (used + 3) & ~size_t{3}; }
};

static_assert(sizeof(wchar_t) == sizeof(WORD), "the template carries 16-bit characters");

void put_item(TemplateWriter &writer, DWORD style, short x, short y, short cx, short cy, WORD id, WORD class_ordinal,
              const wchar_t *text, size_t text_length) {
    writer.align();
    DLGITEMTEMPLATE item = {};
    item.style = style;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    item.id = id;
    writer.put(&item, sizeof item);
    writer.put_word(0xFFFF);  // a predefined class, named by its ordinal
    writer.put_word(class_ordinal);
    writer.put_text(text, text_length);
    writer.put_word(0);  // no creation data
}

// The prompt's first 79 characters, converted through the ANSI code page so that characters
// above 127 show as the user's code page means them, and padded with spaces to 79.
void prompt_text(const char *prompt, wchar_t (&text)[PROMPT_LENGTH]) {
    size_t byte_count = 0;
    if (prompt != nullptr) {
        while (byte_count < PROMPT_BYTES && prompt[byte_count] != '\0') ++byte_count;
    }
    wchar_t wide[PROMPT_BYTES];
    int count = 0;
    if (byte_count > 0) {
        count = MultiByteToWideChar(CP_ACP, 0, prompt, static_cast<int>(byte_count), wide, PROMPT_BYTES);
    }
    if (count > PROMPT_LENGTH) {
        count = PROMPT_LENGTH;
        // Never keep half of a surrogate pair at the cut.
        if (wide[count - 1] >= 0xD800 && wide[count - 1] <= 0xDBFF) --count;
    }
    for (int i = 0; i < PROMPT_LENGTH; ++i) text[i] = i < count ? wide[i] : L' ';
}

void build_template(TemplateWriter &writer, const char *prompt) {
    static const wchar_t okay[] = L"Okay";

    DLGTEMPLATE dialog = {};
    dialog.style = DIALOG_STYLE;
    dialog.cdit = 3;
    dialog.x = 50;
    dialog.y = 50;
    dialog.cx = 185;
    dialog.cy = 92;
    writer.put(&dialog, sizeof dialog);
    writer.put_word(0);  // no menu
    writer.put_word(0);  // the standard dialog class
    writer.put_text(GETS_CAPTION, std::size(GETS_CAPTION) - 1);

    wchar_t text[PROMPT_LENGTH];
    prompt_text(prompt, text);
    put_item(writer, EDIT_STYLE, 8, 30, 167, 37, GETS_EDIT, CLASS_EDIT, L"", 0);
    put_item(writer, OKAY_STYLE, 67, 74, 50, 14, GETS_OKAY, CLASS_BUTTON, okay, std::size(okay) - 1);
    put_item(writer, PROMPT_STYLE, 8, 3, 167, 24, GETS_PROMPT, CLASS_STATIC, text, PROMPT_LENGTH);
}

// Escape and the close box arrive as IDCANCEL, which is left to the default handling and so
// does nothing: only Okay (or Enter, through the default button) ends the dialog.
INT_PTR CALLBACK gets_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        gets_buffer = reinterpret_cast<char *>(lparam);
        return TRUE;  // the platform focuses the first tab stop, the edit field
    case WM_COMMAND:
        if (wparam != GETS_OKAY) return FALSE;
        if (gets_buffer != nullptr) GetDlgItemTextA(dialog, GETS_EDIT, gets_buffer, ANSWER_SIZE);
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int ZAVOK_gets(const char *prompt, char *buffer) {
    TemplateWriter writer;
    build_template(writer, prompt);
    const INT_PTR result =
        DialogBoxIndirectParamA(program_instance, reinterpret_cast<const DLGTEMPLATE *>(writer.bytes), graphics_window,
                                gets_dialog_proc, reinterpret_cast<LPARAM>(buffer));
    // The dialog ends only through EndDialog(dialog, 1); anything else (-1, or 0 for an owner
    // the platform refuses) means it never ran and the buffer holds no answer.
    return result == 1 ? 1 : 0;
}
