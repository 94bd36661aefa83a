// The host's resource manager with modules that it cannot open or does not know:
// every lookup fails cleanly, leaves the caller's buffers terminated and hands
// out nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "BM.hpp"
#include "RS.hpp"
#include "kit/Resources.hpp"

namespace {

// An address inside the kit library, which carries no resources of its own.
void* AddressInsideTheKit()
{
#if defined(_WIN32)
    HMODULE kit = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&RSInitModuleImageCache), &kit);
    return kit;
#else
    return dlsym(RTLD_DEFAULT, "RSInitModuleImageCache");
#endif
}

TEST(ResourceManager, ModulesWithoutResourcesDoNotOpen)
{
    EXPECT_EQ(RSInitModuleImageCache(nullptr), InvalidResModule);
    void* kit = AddressInsideTheKit();
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(RSInitModuleImageCache(kit), InvalidResModule);
#if !defined(_WIN32)
    // A dlopen handle of a library without resources.
    Dl_info info;
    ASSERT_NE(dladdr(kit, &info), 0);
    void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(RSInitModuleImageCache(handle), InvalidResModule);
    dlclose(handle);
#endif
}

TEST(ResourceManager, UnknownModulesAnswerEveryLookupWithNothing)
{
    for (GSResModule module : {InvalidResModule, 0, -7, 30000}) {
        SCOPED_TRACE(std::to_string(module));
        GS::uchar_t buffer[8];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        EXPECT_FALSE(RSGetIndString_ParamAdapter(buffer, 8, 32711, 1, module, 0, __FILE__, __LINE__));
        EXPECT_EQ(buffer[0], u'\0');
        EXPECT_EQ(buffer[1], u'#');

        EXPECT_EQ(RSLoadResource(StrsResType, module, 32711), nullptr);
        kit::DialogTemplate dialog;
        dialog.width = 12;
        EXPECT_FALSE(kit::LoadDialogTemplate(module, 32500, &dialog));
        EXPECT_EQ(dialog.width, 12) << "left as it was";
        kit::ImageInfo image;
        EXPECT_FALSE(kit::LoadImageInfo(module, BmpResType, 32500, &image));
        EXPECT_EQ(image.width, 0);
        RSRemoveModuleImageCache(module); // closing what is not open does nothing
    }
}

TEST(ResourceManager, FetchWithoutRoomWritesNothing)
{
    GS::uchar_t buffer[2] = {u'#', u'#'};
    EXPECT_FALSE(RSGetIndString_ParamAdapter(buffer, 0, 32711, 1, 1, 0, __FILE__, __LINE__));
    EXPECT_FALSE(RSGetIndString_ParamAdapter(buffer, -3, 32711, 1, 1, 0, __FILE__, __LINE__));
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_FALSE(RSGetIndString_ParamAdapter(nullptr, 2, 32711, 1, 1, 0, __FILE__, __LINE__));
}

} // namespace
