// RS: the host's resource manager. Opening a module copies its resources into a
// table under a small module number (from 1); every lookup names that number.
// The table is shared by all threads and guarded by one mutex; a lookup holds a
// reference to the module's resources, so a module closed meanwhile stays
// readable until the lookup ends.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "BM.hpp"
#include "RS.hpp"
#include "kit/Resources.hpp"
#include "rs/ResourceImage.hpp"

namespace kit::detail {

namespace {

// Little-endian reading of a resource's bytes, with bounds checks.
class Reader {
public:
    Reader(const unsigned char* bytes, std::size_t count) : data(bytes), size(count) {}

    bool U16(UInt16* out) { return Bytes(out, 2); }
    bool I16(Int16* out)
    {
        UInt16 v = 0;
        if (!U16(&v))
            return false;
        *out = static_cast<Int16>(v);
        return true;
    }
    bool U32(UInt32* out) { return Bytes(out, 4); }
    // `count` UTF-16 units.
    bool Units(UInt32 count, std::u16string* out)
    {
        if (count > (size - offset) / 2)
            return false;
        out->resize(count);
        for (UInt32 i = 0; i < count; ++i) {
            (*out)[i] = static_cast<char16_t>(data[offset] | (data[offset + 1] << 8));
            offset += 2;
        }
        return true;
    }
    bool Skip(std::size_t count)
    {
        if (count > size - offset)
            return false;
        offset += count;
        return true;
    }
    std::size_t Offset() const { return offset; }
    bool AtEnd() const { return offset == size; }

private:
    template <class T> bool Bytes(T* out, std::size_t count)
    {
        if (count > size - offset)
            return false;
        UInt32 value = 0;
        for (std::size_t i = 0; i < count; ++i)
            value |= static_cast<UInt32>(data[offset + i]) << (8 * i);
        offset += count;
        *out = static_cast<T>(value);
        return true;
    }

    const unsigned char* data;
    std::size_t size;
    std::size_t offset = 0;
};

} // namespace

bool ParseResourceBlob(const unsigned char* data, std::size_t size, ResourceImage* out)
{
    if (data == nullptr || size < 16 || std::memcmp(data, "VRSC", 4) != 0)
        return false;
    Reader header(data, size);
    UInt32 format = 0, count = 0, reserved = 0;
    if (!header.Skip(4) || !header.U32(&format) || !header.U32(&count) || !header.U32(&reserved) ||
        format != 1)
        return false;
    if (count > (size - 16) / 16)
        return false;
    ResourceImage image;
    for (UInt32 i = 0; i < count; ++i) {
        UInt32 type = 0, id = 0, offset = 0, length = 0;
        if (!header.U32(&type) || !header.U32(&id) || !header.U32(&offset) || !header.U32(&length))
            return false;
        if (offset > size || length > size - offset)
            return false;
        auto [it, inserted] = image.resources.try_emplace({type, static_cast<Int32>(id)});
        if (!inserted)
            return false;
        it->second.assign(data + offset, data + offset + length);
    }
    if (image.resources.empty())
        return false;
    *out = std::move(image);
    return true;
}

} // namespace kit::detail

namespace {

using kit::detail::ResourceBytes;
using kit::detail::ResourceImage;

constexpr GSResType CaptionResType = RSType('G', 'C', 'A', 'P');

// The open modules, read and changed from any thread under `tableLock`. A module's
// resources never change once read, so a lookup copies the pointer under the lock
// and reads them without it.
std::mutex tableLock;
std::map<GSResModule, std::shared_ptr<const ResourceImage>> openModules;

std::shared_ptr<const ResourceImage> ModuleResources(GSResModule module)
{
    std::lock_guard<std::mutex> lock(tableLock);
    auto it = openModules.find(module);
    return it == openModules.end() ? nullptr : it->second;
}

// Entry `index` (from 1) of a compiled string list: u32 count, then per entry a
// u32 length and that many UTF-16LE units.
bool FindListEntry(const ResourceBytes& list, Int32 index, std::u16string* out)
{
    kit::detail::Reader reader(list.data(), list.size());
    UInt32 count = 0;
    if (index < 1 || !reader.U32(&count) || static_cast<UInt32>(index) > count)
        return false;
    for (Int32 entry = 1;; ++entry) {
        UInt32 length = 0;
        if (!reader.U32(&length))
            return false;
        if (entry == index)
            return reader.Units(length, out);
        if (length > (list.size() - reader.Offset()) / 2 || !reader.Skip(std::size_t{length} * 2))
            return false;
    }
}

// Width, height and bit depth from a BMP file's headers (file header, then the
// core or the info header of the device-independent bitmap).
bool ReadBmpHeader(const ResourceBytes& bytes, Int32* width, Int32* height, Int32* bits)
{
    kit::detail::Reader reader(bytes.data(), bytes.size());
    UInt16 magic = 0;
    UInt32 headerSize = 0;
    if (!reader.U16(&magic) || magic != 0x4d42 || !reader.Skip(12) || !reader.U32(&headerSize))
        return false;
    UInt16 planes = 0, depth = 0;
    if (headerSize == 12) {
        UInt16 w = 0, h = 0;
        if (!reader.U16(&w) || !reader.U16(&h) || !reader.U16(&planes) || !reader.U16(&depth))
            return false;
        *width = w;
        *height = h;
    } else if (headerSize >= 40) {
        UInt32 w = 0, h = 0;
        if (!reader.U32(&w) || !reader.U32(&h) || !reader.U16(&planes) || !reader.U16(&depth))
            return false;
        *width = static_cast<Int32>(w);
        const auto signedHeight = static_cast<Int32>(h); // negative: rows run top-down
        if (signedHeight == INT32_MIN)
            return false;
        *height = signedHeight < 0 ? -signedHeight : signedHeight;
    } else {
        return false;
    }
    *bits = depth;
    return *width > 0 && *height > 0 && depth != 0;
}

// The caption of image (`type`, `id`) from the caption resource of the same
// number: per image, u32 image type, u32 byte count, the caption's UTF-8 bytes.
std::string FindCaption(const ResourceImage& image, GSResType type, GSResID id)
{
    const ResourceBytes* captions = image.Find(CaptionResType, id);
    if (captions == nullptr)
        return {};
    kit::detail::Reader reader(captions->data(), captions->size());
    while (!reader.AtEnd()) {
        UInt32 recordType = 0, length = 0;
        if (!reader.U32(&recordType) || !reader.U32(&length) || length > captions->size() - reader.Offset())
            return {};
        const std::size_t start = reader.Offset();
        reader.Skip(length);
        if (recordType == type)
            return std::string(reinterpret_cast<const char*>(captions->data()) + start, length);
    }
    return {};
}

bool ReadDialog(const ResourceBytes& bytes, GSResID id, kit::DialogTemplate* out)
{
    kit::detail::Reader reader(bytes.data(), bytes.size());
    UInt16 format = 0, itemCount = 0;
    UInt32 titleLength = 0;
    kit::DialogTemplate dialog;
    dialog.id = id;
    std::u16string text;
    if (!reader.U16(&format) || format != 1 || !reader.I16(&dialog.width) || !reader.I16(&dialog.height) ||
        !reader.U16(&itemCount) || !reader.U32(&titleLength) || !reader.Units(titleLength, &text))
        return false;
    dialog.title = GS::UniString(text.data(), static_cast<UInt32>(text.size()));
    dialog.items.reserve(itemCount);
    for (UInt16 i = 0; i < itemCount; ++i) {
        kit::DialogItemTemplate item;
        Int16 kind = 0, image = 0;
        UInt16 flags = 0;
        UInt32 textLength = 0;
        if (!reader.I16(&item.number) || !reader.I16(&kind) || !reader.I16(&item.left) ||
            !reader.I16(&item.top) || !reader.I16(&item.width) || !reader.I16(&item.height) ||
            !reader.I16(&image) || !reader.U16(&flags) || !reader.U32(&textLength) ||
            !reader.Units(textLength, &text))
            return false;
        if (kind < static_cast<Int16>(kit::ItemKind::PushButton) ||
            kind > static_cast<Int16>(kit::ItemKind::CheckBox))
            return false;
        item.kind = static_cast<kit::ItemKind>(kind);
        item.imageId = image;
        item.hidden = (flags & 1) != 0;
        item.largeFont = (flags & 2) != 0;
        item.text = GS::UniString(text.data(), static_cast<UInt32>(text.size()));
        dialog.items.push_back(std::move(item));
    }
    if (!reader.AtEnd())
        return false;
    *out = std::move(dialog);
    return true;
}

} // namespace

extern "C" {

GSResModule RSInitModuleImageCache(void* moduleHandle)
{
    auto image = std::make_shared<ResourceImage>();
    try {
        if (!kit::detail::ReadModuleResources(moduleHandle, image.get()))
            return InvalidResModule;
    } catch (const std::exception&) {
        return InvalidResModule;
    }
    std::lock_guard<std::mutex> lock(tableLock);
    GSResModule number = 1; // the smallest number not in use
    for (const auto& entry : openModules) {
        if (entry.first != number)
            break;
        ++number;
    }
    openModules.emplace(number, std::move(image));
    return number;
}

void RSRemoveModuleImageCache(GSResModule module)
{
    std::lock_guard<std::mutex> lock(tableLock);
    openModules.erase(module);
}

bool RSGetIndString_ParamAdapter(GS::uchar_t* buffer, Int32 capacity, Int32 listId, Int32 index,
                                 GSResModule module, Int32 /*stringType*/, const char* /*label*/,
                                 Int32 /*line*/)
{
    if (buffer == nullptr || capacity < 1)
        return false;
    buffer[0] = 0;
    auto image = ModuleResources(module);
    const ResourceBytes* list = image ? image->Find(StrsResType, listId) : nullptr;
    std::u16string text;
    try {
        if (list == nullptr || !FindListEntry(*list, index, &text))
            return false;
    } catch (const std::exception&) {
        return false;
    }
    std::size_t count = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
    // A text cut between the two halves of a surrogate pair loses the lone first half.
    if (count < text.size() && count > 0 && text[count - 1] >= 0xd800 && text[count - 1] <= 0xdbff)
        --count;
    std::copy_n(text.data(), count, buffer);
    buffer[count] = 0;
    return true;
}

GSHandle RSLoadResource(GSResType type, GSResModule module, GSResID id)
{
    auto image = ModuleResources(module);
    const ResourceBytes* bytes = image ? image->Find(type, id) : nullptr;
    if (bytes == nullptr)
        return nullptr;
    GSHandle handle = BMAllocateHandle(static_cast<GSSize>(bytes->size()), 0, 0);
    if (handle != nullptr && !bytes->empty())
        std::memcpy(*handle, bytes->data(), bytes->size());
    return handle;
}

} // extern "C"

namespace kit {

bool LoadDialogTemplate(GSResModule module, GSResID id, DialogTemplate* out)
{
    if (out == nullptr)
        return false;
    auto image = ModuleResources(module);
    const ResourceBytes* bytes = image ? image->Find(DlgResType, id) : nullptr;
    if (bytes == nullptr)
        return false;
    try {
        return ReadDialog(*bytes, id, out);
    } catch (const std::exception&) {
        return false;
    }
}

bool LoadImageInfo(GSResModule module, GSResType type, GSResID id, ImageInfo* out)
{
    if (out == nullptr || (type != IcoResType && type != BmpResType))
        return false;
    auto image = ModuleResources(module);
    const ResourceBytes* bytes = image ? image->Find(type, id) : nullptr;
    ImageInfo info;
    if (bytes == nullptr || !ReadBmpHeader(*bytes, &info.width, &info.height, &info.bitsPerPixel))
        return false;
    try {
        info.caption = FindCaption(*image, type, id);
    } catch (const std::exception&) {
        return false;
    }
    *out = std::move(info);
    return true;
}

} // namespace kit
