#include "dialogs/TemplateHelpIds.h"

#include <cstdint>
#include <cstring>

namespace {

// Reads the template front to back and fails at the first read past its end.
class TemplateReader {
public:
    TemplateReader(const void* bytes, size_t size)
        : bytes_(static_cast<const unsigned char*>(bytes)), size_(size) {}

    bool Word(uint16_t* value) { return Read(value, sizeof *value); }
    bool Dword(uint32_t* value) { return Read(value, sizeof *value); }
    bool Skip(size_t count) {
        if (count > size_ - offset_)
            return false;
        offset_ += count;
        return true;
    }
    bool AlignToDword() { return Skip((4 - offset_ % 4) % 4); }

    // A string or an ordinal: 0 for none, FFFF and a number, or UTF-16 text
    // up to its zero.
    bool SkipStringOrOrdinal() {
        uint16_t first = 0;
        if (!Word(&first))
            return false;
        if (first == 0xFFFF)
            return Skip(2);
        for (uint16_t c = first; c != 0;)
            if (!Word(&c))
                return false;
        return true;
    }

private:
    bool Read(void* value, size_t length) {
        if (length > size_ - offset_)
            return false;
        std::memcpy(value, bytes_ + offset_, length);
        offset_ += length;
        return true;
    }

    const unsigned char* bytes_;
    size_t size_;
    size_t offset_ = 0;
};

// Header fields up to the item count, then menu, class, title and font.
bool ReadHeader(TemplateReader& reader, uint16_t* itemCount) {
    uint16_t version = 0;
    uint16_t signature = 0;
    uint32_t style = 0;
    if (!reader.Word(&version) || !reader.Word(&signature) || version != 1 || signature != 0xFFFF)
        return false;
    if (!reader.Skip(8) || !reader.Dword(&style) || !reader.Word(itemCount) || !reader.Skip(8))
        return false;
    if (!reader.SkipStringOrOrdinal() || !reader.SkipStringOrOrdinal() ||
        !reader.SkipStringOrOrdinal())
        return false;
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        // Point size, weight, italic, charset, then the face name.
        if (!reader.Skip(6) || !reader.SkipStringOrOrdinal())
            return false;
    }
    return true;
}

bool ReadItem(TemplateReader& reader, uint32_t* helpId, uint32_t* id) {
    uint16_t extraBytes = 0;
    return reader.AlignToDword() && reader.Dword(helpId) && reader.Skip(16) && reader.Dword(id) &&
           reader.SkipStringOrOrdinal() && reader.SkipStringOrOrdinal() &&
           reader.Word(&extraBytes) && reader.Skip(extraBytes);
}

} // namespace

std::vector<std::pair<int, DWORD>> TemplateHelpIds(const void* bytes, size_t size) {
    std::vector<std::pair<int, DWORD>> ids;
    TemplateReader reader(bytes, size);
    uint16_t itemCount = 0;
    if (!bytes || !ReadHeader(reader, &itemCount))
        return ids;
    for (uint16_t i = 0; i < itemCount; ++i) {
        uint32_t helpId = 0;
        uint32_t id = 0;
        if (!ReadItem(reader, &helpId, &id))
            break;
        if (helpId != 0)
            ids.emplace_back(static_cast<int>(static_cast<uint16_t>(id)), helpId);
    }
    return ids;
}

void AttachTemplateHelpIds(HWND dialog, int templateId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return;
    for (const auto& [id, helpId] : TemplateHelpIds(bytes, SizeofResource(module, resource))) {
        HWND control = GetDlgItem(dialog, id);
        if (control && GetWindowContextHelpId(control) == 0)
            SetWindowContextHelpId(control, helpId);
    }
}
