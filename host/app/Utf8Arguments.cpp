#include "Utf8Arguments.hpp"

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h>
#endif

namespace velmora::host {

Utf8Arguments::Utf8Arguments(int argc, char** argv)
{
#if defined(_WIN32)
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string text(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
            if (bytes > 0)
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
            text.resize(text.size() - 1); // the terminator
            texts.push_back(std::move(text));
        }
        LocalFree(wide);
    }
    if (texts.empty())
#endif
        for (int i = 0; i < argc; ++i)
            texts.emplace_back(argv[i] != nullptr ? argv[i] : "");
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
}

} // namespace velmora::host
