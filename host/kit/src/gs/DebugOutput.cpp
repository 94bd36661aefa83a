// DBPrintf: the host's debug output.
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

#include "GSRoot.hpp"
#include "kit/Host.hpp"

namespace {

std::mutex sinkLock;
kit::DebugSink currentSink = nullptr;
void* sinkContext = nullptr;

} // namespace

namespace kit {

void SetDebugSink(DebugSink sink, void* context)
{
    std::lock_guard<std::mutex> guard(sinkLock);
    currentSink = sink;
    sinkContext = context;
}

} // namespace kit

extern "C" void DBPrintf(const char* format, ...)
{
    if (format == nullptr)
        return;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        va_end(args);
        return;
    }
    std::vector<char> text(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);

    std::lock_guard<std::mutex> guard(sinkLock);
    if (currentSink != nullptr)
        currentSink(text.data(), sinkContext);
    else
        std::fputs(text.data(), stderr);
}
