#include "Panel.hpp"

#include <algorithm>
#include <sstream>

#include "FTM.hpp"

namespace velmora::host {

namespace {

const char* KindName(kit::ItemKind kind)
{
    // In the order of kit::ItemKind, which counts from 1.
    static const char* const names[] = {"button",  "text",      "multitext", "list",    "icon",
                                        "picture", "separator", "edit",      "checkbox"};
    const auto index = static_cast<std::size_t>(kind) - 1;
    return index < std::size(names) ? names[index] : "item";
}

// A text in quotes, with line ends shown as "\n".
std::string Quote(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            continue;
        else
            out += c;
    }
    return out + "\"";
}

} // namespace

std::string Utf8(const GS::UniString& text)
{
    char* bytes = text.ToUtf8();
    std::string out = bytes != nullptr ? bytes : "";
    GS::DeleteArrayOperator(bytes);
    return out;
}

std::string ImageCaption(GSResModule module, GSResType type, GSResID id)
{
    kit::ImageInfo info;
    if (id != 0 && kit::LoadImageInfo(module, type, id, &info) && !info.caption.empty())
        return info.caption;
    return "image " + std::to_string(id);
}

std::string DrawMenuBar(const MenuModel& menu)
{
    std::ostringstream out;
    if (!menu.Registered()) {
        out << "menu bar: (the add-on has registered no menu)";
        return out.str();
    }
    if (!menu.HasStringList()) {
        out << "menu bar: [menu " << menu.ListId() << ": no string list in the add-on's resources]";
        return out.str();
    }
    out << "menu bar: [" << menu.Title().display << "]  (menu " << menu.ListId() << ")";
    Int32 number = 1;
    for (const MenuItem& item : menu.Items()) {
        out << "\n  " << number << " " << (item.Checked() ? "[x]" : "[ ]") << " " << item.text.display;
        ++number;
    }
    return out.str();
}

std::string DrawListRow(const kit::ListRowState& row, GSResModule module)
{
    std::string out;
    std::size_t fields = std::max(row.tabTexts.size(), row.tabIcons.size());
    for (std::size_t i = 0; i < fields; ++i) {
        std::string field;
        if (i < row.tabIcons.size() && row.tabIcons[i] != 0)
            field += "[" + ImageCaption(module, IcoResType, row.tabIcons[i]) + "]";
        if (i < row.tabTexts.size() && !row.tabTexts[i].IsEmpty()) {
            if (!field.empty())
                field += " ";
            field += Utf8(row.tabTexts[i]);
        }
        if (field.empty())
            continue;
        if (!out.empty())
            out += " | ";
        out += field;
    }
    return out;
}

std::string DrawDialog(const kit::DialogState& dialog)
{
    std::ostringstream out;
    out << "+-- dialog " << dialog.resId << " " << Quote(Utf8(dialog.title)) << "  " << dialog.width << " x "
        << dialog.height << "  " << (dialog.modal ? "modal" : "modeless")
        << (dialog.modal     ? ""
            : dialog.visible ? ", visible"
                             : ", hidden")
        << " (id " << dialog.dialId << ")";
    int hidden = 0;
    for (const kit::ItemState& item : dialog.items) {
        if (!item.visible) {
            ++hidden;
            continue;
        }
        std::string number = std::to_string(item.number);
        std::string kind = KindName(item.kind);
        out << "\n| " << std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') << number << " " << kind
            << std::string(kind.size() < 10 ? 10 - kind.size() : 1, ' ');
        switch (item.kind) {
        case kit::ItemKind::Icon:
            out << "[" << ImageCaption(dialog.resModule, IcoResType, item.imageId) << "]";
            break;
        case kit::ItemKind::Picture:
            out << "[" << ImageCaption(dialog.resModule, BmpResType, item.imageId) << "]";
            break;
        case kit::ItemKind::Separator:
            break;
        case kit::ItemKind::ListBox:
            out << item.rows.size() << (item.rows.size() == 1 ? " row" : " rows") << ", ";
            if (item.selectedRow == 0)
                out << "none selected";
            else
                out << "row " << item.selectedRow << " selected";
            break;
        default:
            out << Quote(Utf8(item.text));
            break;
        }
        if (item.largeFont)
            out << " (large)";
        if (!item.enabled)
            out << " (disabled)";
        if (item.number == dialog.focus)
            out << " (focus)";
        if (item.kind == kit::ItemKind::ListBox) {
            Int16 rowNumber = 1;
            for (const kit::ListRowState& row : item.rows) {
                out << "\n|     " << (rowNumber == item.selectedRow ? "> " : "  ") << rowNumber << "  "
                    << DrawListRow(row, dialog.resModule);
                ++rowNumber;
            }
        }
    }
    if (hidden > 0)
        out << "\n| (" << hidden << (hidden == 1 ? " hidden item)" : " hidden items)");
    out << "\n+--";
    return out.str();
}

std::string DrawAlert(const kit::AlertRequest& alert)
{
    std::string buttons;
    for (int i = 0; i < 3; ++i)
        if (!alert.buttons[i].IsEmpty())
            buttons += (buttons.empty() ? "" : "  ") + std::string("[") + std::to_string(i + 1) + "] " +
                       Utf8(alert.buttons[i]);
    std::string panel =
        "+-- alert " + Quote(Utf8(alert.title)) + " (type " + std::to_string(alert.type) + ")";
    for (const GS::UniString* text : {&alert.largeText, &alert.smallText})
        if (!text->IsEmpty())
            panel += "\n| " + Utf8(*text);
    return panel + "\n| " + buttons + "\n+--";
}

std::string DrawFileDialog(const kit::FileDialogRequest& request)
{
    std::string panel = "+-- file dialog " + Quote(Utf8(request.title)) + " (" +
                        (request.type == DG::FileDialog::Save ? "save" : "open") + ")";
    if (!request.folder.empty())
        panel += "\n| folder: " + request.folder;
    if (!request.fileName.empty())
        panel += "\n| file name: " + request.fileName;
    for (UInt32 id : request.filters) {
        FTM::FileType type("", "", 0, 0, 0);
        panel += "\n| type " + std::to_string(id);
        if (FTM::GetFileType(id, &type))
            panel += std::string(": ") + type.description + " (*." + type.extension + ")";
    }
    return panel + "\n+--";
}

} // namespace velmora::host
