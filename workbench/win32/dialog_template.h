#pragma once
// Dialogs without resource files: their template built in memory.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <vector>

namespace vorn::win32 {

// A DLGTEMPLATE and its items, laid out as DialogBoxIndirect reads them.
class DialogTemplate {
public:
    DialogTemplate(const wchar_t* title, short cx, short cy, WORD items) {
        DLGTEMPLATE t{};
        t.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cdit = items;
        t.cx = cx;
        t.cy = cy;
        Add(&t, sizeof t);
        Word(0);  // no menu
        Word(0);  // the standard class
        Text(title);
        Word(8);
        Text(L"MS Shell Dlg");
    }
    // cls: 0x80 button, 0x81 edit, 0x82 static.
    void Item(WORD cls, const wchar_t* text, int id, DWORD style, short x, short y, short cx, short cy) {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = static_cast<WORD>(id);
        Add(&item, sizeof item);
        Word(0xFFFF);
        Word(cls);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Add(const void* data, std::size_t size) {
        const auto* b = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), b, b + size);
    }
    void Word(WORD w) { Add(&w, sizeof w); }
    void Text(const wchar_t* text) { Add(text, (std::wcslen(text) + 1) * sizeof(wchar_t)); }

    std::vector<std::uint8_t> bytes_;
};

}  // namespace vorn::win32
