// Finding a module's resources on ELF systems: the module's file is located
// through the dynamic linker, and the blob of the section ".velmora_rsrc" is
// read from the file through its section headers.
#if !defined(_WIN32)

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rs/ResourceImage.hpp"

namespace kit::detail {

namespace {

constexpr const char* SectionName = ".velmora_rsrc";
constexpr unsigned long long MaxSectionSize = 256ull * 1024 * 1024;

// The file of a link-map entry: the main program has an empty name.
std::string FileOfLinkMap(const link_map* map)
{
    if (map->l_name == nullptr || map->l_name[0] == '\0')
        return "/proc/self/exe";
    return map->l_name;
}

// The file of the module that `handle` names: first as a dlopen handle (the
// dynamic linker's link-map entry), then as an address inside a loaded module.
std::string ModuleFile(void* handle)
{
    if (handle == nullptr)
        return {};
    if (void* self = dlopen(nullptr, RTLD_LAZY)) {
        link_map* map = nullptr;
        std::string found;
        if (dlinfo(self, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr) {
            while (map->l_prev != nullptr)
                map = map->l_prev;
            for (; map != nullptr; map = map->l_next) {
                if (static_cast<void*>(map) == handle) {
                    found = FileOfLinkMap(map);
                    break;
                }
            }
        }
        dlclose(self);
        if (!found.empty())
            return found;
    }
    Dl_info info;
    link_map* map = nullptr;
    if (dladdr1(handle, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) != 0 && map != nullptr)
        return FileOfLinkMap(map);
    return {};
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool ReadAt(std::FILE* f, unsigned long long offset, void* out, std::size_t size)
{
    if (offset > static_cast<unsigned long long>(LONG_MAX) ||
        std::fseek(f, static_cast<long>(offset), SEEK_SET) != 0)
        return false;
    return std::fread(out, 1, size, f) == size;
}

template <class Ehdr, class Shdr>
bool ReadSection(std::FILE* f, unsigned long long fileSize, std::vector<unsigned char>* out)
{
    Ehdr header;
    if (!ReadAt(f, 0, &header, sizeof header))
        return false;
    if (header.e_shoff == 0 || header.e_shentsize < sizeof(Shdr))
        return false;
    auto sectionHeader = [&](unsigned long long index, Shdr* section) {
        unsigned long long at = header.e_shoff + index * header.e_shentsize;
        return at + sizeof(Shdr) <= fileSize && ReadAt(f, at, section, sizeof(Shdr));
    };
    // Files with many sections keep the count and the name-table index in section 0.
    unsigned long long count = header.e_shnum;
    unsigned long long namesIndex = header.e_shstrndx;
    if (count == 0 || namesIndex == SHN_XINDEX) {
        Shdr first;
        if (!sectionHeader(0, &first))
            return false;
        if (count == 0)
            count = first.sh_size;
        if (namesIndex == SHN_XINDEX)
            namesIndex = first.sh_link;
    }
    if (count == 0 || namesIndex >= count || header.e_shoff + count * header.e_shentsize > fileSize)
        return false;

    Shdr names;
    if (!sectionHeader(namesIndex, &names) || names.sh_type == SHT_NOBITS || names.sh_size > MaxSectionSize ||
        names.sh_offset + names.sh_size > fileSize)
        return false;
    std::vector<char> nameTable(static_cast<std::size_t>(names.sh_size) + 1, '\0');
    if (!ReadAt(f, names.sh_offset, nameTable.data(), static_cast<std::size_t>(names.sh_size)))
        return false;

    const std::size_t wantedLength = std::strlen(SectionName);
    for (unsigned long long i = 1; i < count; ++i) {
        Shdr section;
        if (!sectionHeader(i, &section))
            return false;
        if (section.sh_name >= names.sh_size ||
            std::strncmp(nameTable.data() + section.sh_name, SectionName, wantedLength + 1) != 0)
            continue;
        if (section.sh_type == SHT_NOBITS || section.sh_size > MaxSectionSize ||
            section.sh_offset + section.sh_size > fileSize)
            return false;
        out->resize(static_cast<std::size_t>(section.sh_size));
        return out->empty() || ReadAt(f, section.sh_offset, out->data(), out->size());
    }
    return false;
}

// The contents of the resource section of an ELF file of this machine's byte order.
bool ReadResourceSection(const std::string& path, std::vector<unsigned char>* out)
{
    File f(std::fopen(path.c_str(), "rb"));
    if (!f)
        return false;
    if (std::fseek(f.get(), 0, SEEK_END) != 0)
        return false;
    long end = std::ftell(f.get());
    if (end <= 0)
        return false;
    const auto fileSize = static_cast<unsigned long long>(end);

    unsigned char ident[EI_NIDENT];
    if (!ReadAt(f.get(), 0, ident, sizeof ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return false;
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    const unsigned char nativeOrder = ELFDATA2LSB;
#else
    const unsigned char nativeOrder = ELFDATA2MSB;
#endif
    if (ident[EI_DATA] != nativeOrder)
        return false;
    if (ident[EI_CLASS] == ELFCLASS64)
        return ReadSection<Elf64_Ehdr, Elf64_Shdr>(f.get(), fileSize, out);
    if (ident[EI_CLASS] == ELFCLASS32)
        return ReadSection<Elf32_Ehdr, Elf32_Shdr>(f.get(), fileSize, out);
    return false;
}

} // namespace

bool ReadModuleResources(void* moduleHandle, ResourceImage* out)
{
    const std::string path = ModuleFile(moduleHandle);
    if (path.empty())
        return false;
    std::vector<unsigned char> blob;
    if (!ReadResourceSection(path, &blob))
        return false;
    return ParseResourceBlob(blob.data(), blob.size(), out);
}

} // namespace kit::detail

#endif // !_WIN32
