// The host's reading of an add-on's compiled resources: dialog templates and
// image descriptions, for the dialog manager and for the host program's display.
#pragma once

#include <string>
#include <vector>

#include "GSRoot.hpp"
#include "RS.hpp"

namespace kit {

enum class ItemKind : Int16 {
    PushButton = 1,
    StaticText = 2,    // one line
    MultiLineText = 3, // multi-line static text
    ListBox = 4,
    Icon = 5,    // an icon resource (GICN)
    Picture = 6, // a bitmap resource (GBMP)
    Separator = 7,
    EditText = 8,
    CheckBox = 9,
};

struct DialogItemTemplate {
    Int16 number = 0; // from 1, in resource order
    ItemKind kind = ItemKind::StaticText;
    Int16 left = 0, top = 0, width = 0, height = 0;
    GS::UniString text;     // static content (may be empty)
    GSResID imageId = 0;    // icon or bitmap resource for Icon and Picture items
    bool hidden = false;    // hidden at start
    bool largeFont = false; // shown in its own, larger font
};

struct DialogTemplate {
    GSResID id = 0;
    GS::UniString title;
    Int16 width = 0, height = 0; // client size
    std::vector<DialogItemTemplate> items;
};

// Reads dialog resource `id` of a resource module; false when it is missing or damaged.
KIT_API bool LoadDialogTemplate(GSResModule module, GSResID id, DialogTemplate* out);

struct ImageInfo {
    Int32 width = 0, height = 0, bitsPerPixel = 0;
    std::string caption; // what the picture shows, in UTF-8 (for text displays)
};
// Describes an image resource (type IcoResType or BmpResType); false when missing.
KIT_API bool LoadImageInfo(GSResModule module, GSResType type, GSResID id, ImageInfo* out);

} // namespace kit
