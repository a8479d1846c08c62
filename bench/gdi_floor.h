// The floor under a drawing pass: the same primitives painted with raw GDI calls and pens,
// brushes and fonts made once. A pass of the package is recorded into an enhanced metafile
// (the package paints wherever surface_dc points), its records are read back into a compact
// list, and the list is replayed on the real surface.
#pragma once

#include "window/window_internal.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

enum PrimitiveKind {
    PRIMITIVE_POLYGON,
    PRIMITIVE_RECTANGLE,
    PRIMITIVE_ELLIPSE,
    PRIMITIVE_LINE,
    PRIMITIVE_PIXEL,
    PRIMITIVE_TEXT
};

// One painting call with the objects it needs already made.
struct Primitive {
    PrimitiveKind kind;
    HGDIOBJ pen;
    HGDIOBJ brush;
    HGDIOBJ font;
    COLORREF colour;            // of a pixel or a text
    std::vector<POINT> points;  // the corners; two for a box (left-top, right-bottom) or a line
    std::string text;
};

// Pens per (style, width, colour), brushes per colour and fonts per height, each made once.
struct ObjectCache {
    std::map<std::tuple<UINT, LONG, COLORREF>, HGDIOBJ> pens;
    std::map<COLORREF, HGDIOBJ> brushes;
    std::map<LONG, HGDIOBJ> fonts;

    ObjectCache() = default;
    ObjectCache(const ObjectCache &) = delete;
    ObjectCache &operator=(const ObjectCache &) = delete;
    ~ObjectCache() {
        for (const auto &entry : pens) DeleteObject(entry.second);
        for (const auto &entry : brushes) DeleteObject(entry.second);
        for (const auto &entry : fonts) DeleteObject(entry.second);
    }
};

// What a metafile's object table slot stands for, and the state the records set.
struct RecordReader {
    ObjectCache &cache;
    std::vector<Primitive> &primitives;
    std::map<DWORD, HGDIOBJ> slots;
    HGDIOBJ pen = GetStockObject(BLACK_PEN);
    HGDIOBJ brush = GetStockObject(WHITE_BRUSH);
    HGDIOBJ font = GetStockObject(SYSTEM_FONT);
    COLORREF text_colour = RGB(0, 0, 0);
    POINT position = {0, 0};
};

inline HGDIOBJ cached_pen(ObjectCache &cache, const LOGPEN &pen) {
    HGDIOBJ &object = cache.pens[{pen.lopnStyle, pen.lopnWidth.x, pen.lopnColor}];
    if (object == nullptr) object = CreatePenIndirect(&pen);
    return object;
}

inline HGDIOBJ cached_brush(ObjectCache &cache, const LOGBRUSH32 &brush) {
    if (brush.lbStyle == BS_NULL) return GetStockObject(NULL_BRUSH);
    HGDIOBJ &object = cache.brushes[brush.lbColor];
    if (object == nullptr) object = CreateSolidBrush(brush.lbColor);
    return object;
}

inline HGDIOBJ cached_font(ObjectCache &cache, const LOGFONTW &font) {
    HGDIOBJ &object = cache.fonts[font.lfHeight];
    if (object == nullptr) object = CreateFontIndirectW(&font);
    return object;
}

inline void add_primitive(RecordReader &reader, PrimitiveKind kind, std::vector<POINT> points) {
    reader.primitives.push_back(
        {kind, reader.pen, reader.brush, reader.font, reader.text_colour, std::move(points), {}});
}

inline int CALLBACK read_record(HDC, HANDLETABLE *, const ENHMETARECORD *record, int, LPARAM data) {
    RecordReader &reader = *reinterpret_cast<RecordReader *>(data);
    switch (record->iType) {
        case EMR_CREATEPEN: {
            const auto &create = *reinterpret_cast<const EMRCREATEPEN *>(record);
            reader.slots[create.ihPen] = cached_pen(reader.cache, create.lopn);
            break;
        }
        case EMR_EXTCREATEPEN: {
            const auto &create = *reinterpret_cast<const EMREXTCREATEPEN *>(record);
            const LOGPEN pen = {create.elp.elpPenStyle & PS_STYLE_MASK, {static_cast<LONG>(create.elp.elpWidth), 0},
                                create.elp.elpColor};
            reader.slots[create.ihPen] = cached_pen(reader.cache, pen);
            break;
        }
        case EMR_CREATEBRUSHINDIRECT: {
            const auto &create = *reinterpret_cast<const EMRCREATEBRUSHINDIRECT *>(record);
            reader.slots[create.ihBrush] = cached_brush(reader.cache, create.lb);
            break;
        }
        case EMR_EXTCREATEFONTINDIRECTW: {
            const auto &create = *reinterpret_cast<const EMREXTCREATEFONTINDIRECTW *>(record);
            reader.slots[create.ihFont] = cached_font(reader.cache, create.elfw.elfLogFont);
            break;
        }
        case EMR_SELECTOBJECT: {
            const DWORD slot = reinterpret_cast<const EMRSELECTOBJECT *>(record)->ihObject;
            const HGDIOBJ object =
                (slot & ENHMETA_STOCK_OBJECT) != 0 ? GetStockObject(static_cast<int>(slot & ~ENHMETA_STOCK_OBJECT))
                                                   : reader.slots[slot];
            switch (GetObjectType(object)) {
                case OBJ_PEN:
                    reader.pen = object;
                    break;
                case OBJ_BRUSH:
                    reader.brush = object;
                    break;
                case OBJ_FONT:
                    reader.font = object;
                    break;
                default:
                    break;
            }
            break;
        }
        case EMR_SETTEXTCOLOR:
            reader.text_colour = reinterpret_cast<const EMRSETTEXTCOLOR *>(record)->crColor;
            break;
        case EMR_POLYGON16: {
            const auto &polygon = *reinterpret_cast<const EMRPOLYGON16 *>(record);
            std::vector<POINT> points;
            for (DWORD i = 0; i < polygon.cpts; ++i) points.push_back({polygon.apts[i].x, polygon.apts[i].y});
            add_primitive(reader, PRIMITIVE_POLYGON, std::move(points));
            break;
        }
        case EMR_POLYGON: {
            const auto &polygon = *reinterpret_cast<const EMRPOLYGON *>(record);
            std::vector<POINT> points;
            for (DWORD i = 0; i < polygon.cptl; ++i) points.push_back({polygon.aptl[i].x, polygon.aptl[i].y});
            add_primitive(reader, PRIMITIVE_POLYGON, std::move(points));
            break;
        }
        case EMR_RECTANGLE:
        case EMR_ELLIPSE: {
            // The box is recorded with its right and bottom edges included; the call leaves them out.
            const RECTL &box = reinterpret_cast<const EMRELLIPSE *>(record)->rclBox;
            add_primitive(reader, record->iType == EMR_RECTANGLE ? PRIMITIVE_RECTANGLE : PRIMITIVE_ELLIPSE,
                          {{box.left, box.top}, {box.right + 1, box.bottom + 1}});
            break;
        }
        case EMR_MOVETOEX:
            reader.position = {reinterpret_cast<const EMRMOVETOEX *>(record)->ptl.x,
                               reinterpret_cast<const EMRMOVETOEX *>(record)->ptl.y};
            break;
        case EMR_LINETO: {
            const POINTL &end = reinterpret_cast<const EMRLINETO *>(record)->ptl;
            add_primitive(reader, PRIMITIVE_LINE, {reader.position, {end.x, end.y}});
            reader.position = {end.x, end.y};
            break;
        }
        case EMR_SETPIXELV: {
            const auto &pixel = *reinterpret_cast<const EMRSETPIXELV *>(record);
            add_primitive(reader, PRIMITIVE_PIXEL, {{pixel.ptlPixel.x, pixel.ptlPixel.y}});
            reader.primitives.back().colour = pixel.crColor;
            break;
        }
        case EMR_EXTTEXTOUTW: {
            const auto &text = *reinterpret_cast<const EMREXTTEXTOUTW *>(record);
            const auto *wide = reinterpret_cast<const wchar_t *>(reinterpret_cast<const BYTE *>(record) +
                                                                 text.emrtext.offString);
            const int count = static_cast<int>(text.emrtext.nChars);
            std::string narrow(static_cast<size_t>(count) * 2, '\0');
            const int length = WideCharToMultiByte(CP_ACP, 0, wide, count, &narrow[0], static_cast<int>(narrow.size()),
                                                   nullptr, nullptr);
            narrow.resize(static_cast<size_t>(std::max(length, 0)));
            add_primitive(reader, PRIMITIVE_TEXT, {{text.emrtext.ptlReference.x, text.emrtext.ptlReference.y}});
            reader.primitives.back().text = std::move(narrow);
            break;
        }
        default:
            break;  // header, deletions, background mode and the like: the floor sets its own once
    }
    return 1;
}

// Records what `pass` paints, with the package's surface pointed at a metafile for the time.
template <typename Pass>
std::vector<Primitive> record_primitives(Pass pass, ObjectCache &cache) {
    const HDC real_surface = surface_dc;
    const HDC recorder = CreateEnhMetaFileA(real_surface, nullptr, nullptr, nullptr);
    surface_dc = recorder;
    pass();
    surface_dc = real_surface;
    const HENHMETAFILE recording = CloseEnhMetaFile(recorder);
    std::vector<Primitive> primitives;
    RecordReader reader{cache, primitives, {}};
    EnumEnhMetaFile(nullptr, recording, read_record, &reader, nullptr);
    DeleteEnhMetaFile(recording);
    return primitives;
}

// Paints the list on the surface, selecting an object only when it differs from the last one.
inline void replay_primitives(const std::vector<Primitive> &primitives) {
    const HDC dc = surface_dc;
    const HGDIOBJ first_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    const HGDIOBJ first_brush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
    const HGDIOBJ first_font = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    const int first_mode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ pen = nullptr, brush = nullptr, font = nullptr;
    const auto use = [dc](HGDIOBJ &current, HGDIOBJ wanted) {
        if (current != wanted) SelectObject(dc, current = wanted);
    };
    for (const Primitive &primitive : primitives) {
        const std::vector<POINT> &p = primitive.points;
        switch (primitive.kind) {
            case PRIMITIVE_POLYGON:
                use(pen, primitive.pen);
                use(brush, primitive.brush);
                Polygon(dc, p.data(), static_cast<int>(p.size()));
                break;
            case PRIMITIVE_RECTANGLE:
                use(pen, primitive.pen);
                use(brush, primitive.brush);
                Rectangle(dc, p[0].x, p[0].y, p[1].x, p[1].y);
                break;
            case PRIMITIVE_ELLIPSE:
                use(pen, primitive.pen);
                use(brush, primitive.brush);
                Ellipse(dc, p[0].x, p[0].y, p[1].x, p[1].y);
                break;
            case PRIMITIVE_LINE:
                use(pen, primitive.pen);
                MoveToEx(dc, p[0].x, p[0].y, nullptr);
                LineTo(dc, p[1].x, p[1].y);
                break;
            case PRIMITIVE_PIXEL:
                SetPixelV(dc, p[0].x, p[0].y, primitive.colour);
                break;
            case PRIMITIVE_TEXT:
                use(font, primitive.font);
                SetTextColor(dc, primitive.colour);
                TextOutA(dc, p[0].x, p[0].y, primitive.text.data(), static_cast<int>(primitive.text.size()));
                break;
        }
    }
    SetBkMode(dc, first_mode);
    SelectObject(dc, first_font);
    SelectObject(dc, first_brush);
    SelectObject(dc, first_pen);
}
